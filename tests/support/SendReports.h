// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What 'tamboril-kit send' says when its port went away during a bulk send.

#include <QRegularExpression>
#include <QString>

namespace tamboril::test {

// The whole of send's standard error then: captured(1) is the kit it could
// not send, captured(2) how many kits had gone out before.
inline QRegularExpressionMatch PortWentAwayReport(const QString& err) {
    static const QRegularExpression report(QStringLiteral(
        "failed: the port went away before kit (\\d+) of 64 could be sent: .*\n(\\d+) of 64 "
        "kits had gone out before the port went away; the rest were not sent\\.( \\d+ of the "
        "kits that went needed a second try; the receiver may hold those twice\\.)?\n$"));
    return report.match(err);
}

}  // namespace tamboril::test
