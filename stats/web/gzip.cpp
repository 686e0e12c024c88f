// SPDX-FileCopyrightText: 2026 The Counter-Strike tools developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "stats/web/gzip.h"

#include <zlib.h>

namespace Gzip {

QByteArray compress(QByteArrayView data)
{
    z_stream stream {};
    // 16 above the window's bits: a gzip header and trailer rather than zlib's own.
    constexpr int gzipWindow = 15 + 16;
    constexpr int memoryLevel = 8;
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, gzipWindow, memoryLevel,
                     Z_DEFAULT_STRATEGY)
        != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int done = deflate(&stream, Z_FINISH);
    const qsizetype written = qsizetype(stream.total_out);
    deflateEnd(&stream);
    if (done != Z_STREAM_END)
        return {};
    out.truncate(written);
    return out;
}

} // namespace Gzip
