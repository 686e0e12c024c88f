// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/speech/queuedspeech.h"
#include "platform/speech/silentspeech.h"
#include "platform/speech/speechengine.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

/// A scripted engine: what it does after say() is chosen per test.
class FakeEngine final : public SpeechEngine
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FakeEngine)

public:
    enum class Script { Speaks, ErrsOnSay, NeverStarts, StuckSpeaking, SpeaksSynchronously };

    FakeEngine(Script script, State initial, QObject *parent)
        : SpeechEngine(parent), m_script(script), m_state(initial)
    { }

    State state() const override { return m_state; }

    void say(const QString &text) override
    {
        said << text;
        if (m_state != State::Ready)
            ++saidWhileNotReady;
        switch (m_script) {
        case Script::Speaks:
            QTimer::singleShot(5, this, [this] { setState(State::Speaking); });
            QTimer::singleShot(20, this, [this] { setState(State::Ready); });
            break;
        case Script::SpeaksSynchronously:
            setState(State::Speaking);
            QTimer::singleShot(10, this, [this] { setState(State::Ready); });
            break;
        case Script::ErrsOnSay:
            QTimer::singleShot(5, this, [this] { setState(State::Error); });
            break;
        case Script::NeverStarts:
            break;
        case Script::StuckSpeaking:
            setState(State::Speaking);
            break;
        }
    }

    void setState(State state)
    {
        m_state = state;
        emit stateChanged(state);
    }

    QStringList said;
    int saidWhileNotReady = 0;

private:
    Script m_script;
    State m_state;
};

QueuedSpeech::Timing quickTiming()
{
    QueuedSpeech::Timing timing;
    timing.stallBaseMs = 100;
    timing.stallPerCharMs = 10;
    timing.fallbackDelay = SilentSpeech::Delay::None;
    return timing;
}

QStringList endedTexts(const QSignalSpy &spy)
{
    QStringList texts;
    for (const auto &arguments : spy)
        texts << arguments.at(0).toString();
    return texts;
}

} // namespace

class TestQueuedSpeech : public QObject
{
    Q_OBJECT

private slots:
    void oneNotificationPerTextInOrder_data();
    void oneNotificationPerTextInOrder();
    void neverNotifiesFromInsideSpeak();
    void emptyTextIsNotifiedWithoutTheEngine();
    void givenUpEngineIsIgnored();
    void waitsForReadyBeforeSaying();
    void createHonoursSpeechSilent_data();
    void createHonoursSpeechSilent();
};

void TestQueuedSpeech::oneNotificationPerTextInOrder_data()
{
    QTest::addColumn<bool>("engineExists");
    QTest::addColumn<int>("script");
    QTest::addColumn<int>("initialState");
    QTest::addColumn<bool>("silentAfterwards");

    const int ready = int(SpeechEngine::State::Ready);
    QTest::newRow("engine speaks") << true << int(FakeEngine::Script::Speaks) << ready << false;
    QTest::newRow("engine reports speaking from inside say")
        << true << int(FakeEngine::Script::SpeaksSynchronously) << ready << false;
    QTest::newRow("engine missing") << false << 0 << ready << true;
    QTest::newRow("engine in error from the start")
        << true << int(FakeEngine::Script::Speaks) << int(SpeechEngine::State::Error) << true;
    QTest::newRow("engine errs on say (no audio device)")
        << true << int(FakeEngine::Script::ErrsOnSay) << ready << true;
    QTest::newRow("engine never starts speaking")
        << true << int(FakeEngine::Script::NeverStarts) << ready << true;
    QTest::newRow("engine stuck speaking")
        << true << int(FakeEngine::Script::StuckSpeaking) << ready << true;
    QTest::newRow("engine never becomes ready")
        << true << int(FakeEngine::Script::Speaks) << int(SpeechEngine::State::Busy) << true;
}

void TestQueuedSpeech::oneNotificationPerTextInOrder()
{
    QFETCH(bool, engineExists);
    QFETCH(int, script);
    QFETCH(int, initialState);
    QFETCH(bool, silentAfterwards);

    FakeEngine *engine = nullptr;
    QueuedSpeech speech(
        [&](QObject *parent) -> SpeechEngine * {
            if (!engineExists)
                return nullptr;
            engine = new FakeEngine(FakeEngine::Script(script), SpeechEngine::State(initialState),
                                    parent);
            return engine;
        },
        quickTiming());
    QSignalSpy ended(&speech, &SpeechOutput::speechEnded);

    const QStringList texts = {"cstrike Shuffler", "Good Bye", "Good Bye", "x"};
    for (const auto &text : texts)
        speech.speak(text);
    QVERIFY(speech.isSpeaking());

    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), texts.size(), 10000);
    QCOMPARE(endedTexts(ended), texts);
    QCOMPARE(speech.isSilent(), silentAfterwards);
    QTRY_VERIFY(!speech.isSpeaking());
    if (engine)
        QCOMPARE(engine->saidWhileNotReady, 0);
    if (!silentAfterwards)
        QCOMPARE(engine->said, texts);

    // Nothing more arrives later, and the queue keeps working afterwards.
    QTest::qWait(300);
    QCOMPARE(ended.count(), texts.size());
    speech.speak("again");
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), texts.size() + 1, 5000);
    QCOMPARE(ended.last().at(0).toString(), QStringLiteral("again"));
}

void TestQueuedSpeech::neverNotifiesFromInsideSpeak()
{
    QueuedSpeech speech([](QObject *) { return nullptr; }, {100, 10, SilentSpeech::Delay::None});
    QSignalSpy ended(&speech, &SpeechOutput::speechEnded);
    speech.speak("one");
    QTRY_COMPARE(ended.count(), 1);
    // Given up now: still nothing from inside speak().
    speech.speak("two");
    QCOMPARE(ended.count(), 1);
    QTRY_COMPARE(ended.count(), 2);
}

void TestQueuedSpeech::emptyTextIsNotifiedWithoutTheEngine()
{
    FakeEngine *engine = nullptr;
    QueuedSpeech speech(
        [&](QObject *parent) {
            engine = new FakeEngine(FakeEngine::Script::Speaks, SpeechEngine::State::Ready, parent);
            return engine;
        },
        quickTiming());
    QSignalSpy ended(&speech, &SpeechOutput::speechEnded);
    speech.speak("");
    speech.speak("after");
    speech.speak("   ");
    QTRY_COMPARE(ended.count(), 3);
    QCOMPARE(endedTexts(ended), (QStringList {"", "after", "   "}));
    QCOMPARE(engine->said, QStringList {"after"});
    QVERIFY(!speech.isSilent());
}

void TestQueuedSpeech::givenUpEngineIsIgnored()
{
    FakeEngine *engine = nullptr;
    QueuedSpeech speech(
        [&](QObject *parent) {
            engine =
                new FakeEngine(FakeEngine::Script::NeverStarts, SpeechEngine::State::Ready, parent);
            return engine;
        },
        quickTiming());
    QSignalSpy ended(&speech, &SpeechOutput::speechEnded);
    speech.speak("late");
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 5000);
    QVERIFY(speech.isSilent());
    // The stalled engine wakes up after all: its cycle must not count as another text.
    engine->setState(SpeechEngine::State::Speaking);
    engine->setState(SpeechEngine::State::Ready);
    QTest::qWait(100);
    QCOMPARE(ended.count(), 1);
}

void TestQueuedSpeech::waitsForReadyBeforeSaying()
{
    FakeEngine *engine = nullptr;
    QueuedSpeech speech(
        [&](QObject *parent) {
            engine = new FakeEngine(FakeEngine::Script::Speaks, SpeechEngine::State::Busy, parent);
            return engine;
        },
        {5000, 10, SilentSpeech::Delay::None});
    QSignalSpy ended(&speech, &SpeechOutput::speechEnded);
    speech.speak("wait");
    QTRY_VERIFY(engine != nullptr);
    QTest::qWait(50);
    QVERIFY(engine->said.isEmpty());
    engine->setState(SpeechEngine::State::Ready);
    QCOMPARE(engine->said, QStringList {"wait"});
    QTRY_COMPARE(ended.count(), 1);
    QVERIFY(!speech.isSilent());
    QCOMPARE(engine->saidWhileNotReady, 0);
}

void TestQueuedSpeech::createHonoursSpeechSilent_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("silent");
    QTest::newRow("set to 1") << QByteArray("1") << true;
    QTest::newRow("set to yes") << QByteArray("yes") << true;
    QTest::newRow("set to 0") << QByteArray("0") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestQueuedSpeech::createHonoursSpeechSilent()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, silent);
    const QByteArray saved = qgetenv("SPEECH_SILENT");
    qputenv("SPEECH_SILENT", value);
    // Only constructed, never asked to speak: no engine is created.
    std::unique_ptr<SpeechOutput> speech(SpeechOutput::create());
    qputenv("SPEECH_SILENT", saved);
    QCOMPARE(qobject_cast<SilentSpeech *>(speech.get()) != nullptr, silent);
    QCOMPARE(qobject_cast<QueuedSpeech *>(speech.get()) != nullptr, !silent);
}

QTEST_GUILESS_MAIN(TestQueuedSpeech)
#include "test_queuedspeech.moc"
