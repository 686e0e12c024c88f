#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

/** An HTTP response: its status, its headers (Content-Length aside) and its body. */
struct WebResponse
{
    int status = 200;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
};
