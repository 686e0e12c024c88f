// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A configuration file through Quorrel's viewer: its bytes read as Windows-1252 with their line
// ends folded for the editor, and the editor's text written back. The input is both the stored
// file and, read as UTF-8, what a user typed over it. Checked: a file opened and closed without
// an edit asks nothing and is written back byte for byte when its line ends agree; what is
// written reads back as the text that was in the editor; a character the code page lacks is
// refused, never replaced.

#include "configmanager/core/configtext.h"
#include "configmanager/core/configviewer.h"
#include "configmanager/core/gameconfig.h"
#include "fuzz/fuzzsupport.h"
#include "platform/files/filestore.h"
#include "platform/files/windows1252.h"
#include "platform/launch/gamelauncher.h"
#include "platform/settings/settingsstore.h"

#include <QDir>
#include <QFile>

namespace {

/** The game is never started here. */
class NoLauncher final : public GameLauncher
{
public:
    Result<> launch(const QString &) override { return Result<>::failure(QStringLiteral("no")); }
};

struct Library
{
    QString folder = Fuzz::scratchFolder() + QStringLiteral("/Half Life/cstrike");
    SettingsStore settings {Fuzz::scratchFolder() + QStringLiteral("/settings")};
    FileStore files;
    NoLauncher launcher;
    GameConfig config {QStringLiteral("cstrike"), settings, files, launcher};
};

Library &library()
{
    static Library *made = [] {
        Fuzz::startApplication();
        auto *library = new Library;
        Fuzz::require(QDir().mkpath(library->folder + QStringLiteral("/Configs")),
                      "the library folder is made");
        const Result<> registered = library->config.settings().setValue(
            QuorrelSettings::Key::RepertoryFile, library->folder + QStringLiteral("/config.cfg"));
        Fuzz::require(registered.ok(), "the game's file is registered", registered.reason());
        return library;
    }();
    return *made;
}

/// The line ends of \a bytes, counted as the game writes them: CR LF, LF alone, CR alone.
struct LineEnds
{
    qsizetype crlf = 0;
    qsizetype lf = 0;
    qsizetype cr = 0;

    explicit LineEnds(QByteArrayView bytes)
    {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++crlf;
                ++i;
            } else if (bytes[i] == '\r') {
                ++cr;
            } else if (bytes[i] == '\n') {
                ++lf;
            }
        }
    }
    int kinds() const { return int(crlf > 0) + int(lf > 0) + int(cr > 0); }
};

/// What the editor holds of \a text: a paragraph separator between lines, as its document does.
QString asEditorHolds(const QString &text)
{
    QString raw = text;
    raw.replace(QStringLiteral("\r\n"), QString(QChar::ParagraphSeparator));
    raw.replace(QLatin1Char('\r'), QChar::ParagraphSeparator);
    raw.replace(QLatin1Char('\n'), QChar::ParagraphSeparator);
    return raw;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    Fuzz::require(file.open(QIODevice::ReadOnly), "the stored file can be read", path);
    return file.readAll();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray stored = Fuzz::bytes(data, size).toByteArray();
    Library &lib = library();
    const QString path = lib.folder + QStringLiteral("/Configs/fuzz.cfg");
    {
        QFile file(path);
        Fuzz::require(file.open(QIODevice::WriteOnly | QIODevice::Truncate)
                          && file.write(stored) == stored.size(),
                      "the stored file is written", path);
    }

    ConfigViewer viewer(lib.config);
    const Result<> opened = viewer.open(QStringLiteral("fuzz"));
    Fuzz::require(opened.ok(), "the stored configuration opens", opened.reason());
    const QString text = viewer.text();
    const ConfigText read = ConfigText::fromBytes(stored);
    Fuzz::require(text == read.text(), "the viewer shows the file's text");
    Fuzz::require(!text.contains(QLatin1Char('\r')), "the editor gets no lone CR");
    Fuzz::require(!viewer.needsQuestion(text), "closing without an edit asks nothing",
                  Fuzz::shown(stored));
    Fuzz::require(!viewer.needsQuestion(ConfigText::fromEditor(asEditorHolds(text))),
                  "closing without an edit asks nothing, whatever separators the editor keeps",
                  Fuzz::shown(stored));

    const Result<QByteArray> unchanged = read.toBytes(text);
    Fuzz::require(unchanged.ok(), "an unedited text can be written", unchanged.reason());
    const LineEnds ends(stored);
    if (ends.kinds() <= 1)
        Fuzz::require(*unchanged == stored, "an unedited file is written back byte for byte",
                      Fuzz::shown(stored) + QStringLiteral(" -> ") + Fuzz::shown(*unchanged));
    Fuzz::require(ConfigText::fromBytes(*unchanged).text() == text,
                  "what is written reads back as the text", Fuzz::shown(stored));
    Fuzz::require(LineEnds(*unchanged).kinds() <= 1, "what is written has one kind of line end",
                  Fuzz::shown(*unchanged));

    // The same bytes typed into the editor, as UTF-8 text.
    const QString typed = ConfigText::fromEditor(asEditorHolds(QString::fromUtf8(stored)));
    const Result<bool> closed = viewer.answerClose(Dialogs::Answer::Yes, typed);
    const std::optional<QByteArray> encodable = Windows1252::encode(typed);
    if (!encodable) {
        Fuzz::require(!closed.ok() && !closed.reason().isEmpty(),
                      "a character the code page lacks is refused, with a reason",
                      Fuzz::shownText(typed));
        Fuzz::require(readFile(path) == stored, "a refused edit leaves the file as it was");
        return 0;
    }
    Fuzz::require(closed.ok() && *closed, "an edit the code page can hold is written",
                  closed.reason());
    const QByteArray written = readFile(path);
    Fuzz::require(ConfigText::fromBytes(written).text() == typed,
                  "what is written reads back as what was typed", Fuzz::shownText(typed));
    Fuzz::require(LineEnds(written).kinds() <= 1, "what is written has one kind of line end",
                  Fuzz::shown(written));
    return 0;
}
