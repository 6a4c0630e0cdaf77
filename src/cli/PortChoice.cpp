// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PortChoice.h"
#include "cli/TransferWords.h"

#include "cli/Command.h"
#include "cli/KitArgs.h"

namespace tamboril::cli {

namespace {

QString quotedList(const QStringList& names) {
    QStringList quoted;
    for (const QString& name : names) {
        quoted << QLatin1Char('"') + Printable(name) + QLatin1Char('"');
    }
    return quoted.join(QStringLiteral(", "));
}

}  // namespace

midi::RtMidiOptions MidiOptions() {
    midi::RtMidiOptions options;
    options.clientName = QStringLiteral("tamboril-kit");
    options.portAdvice = QStringLiteral("from the list 'tamboril-kit ports' shows");
    return options;
}

void AddFileAndPort(CLI::App& sub, const std::string& name, std::string& file,
                    const std::string& fileHelp, std::string& port, const std::string& direction) {
    sub.add_option(name, file, fileHelp)->required()->check(FileName());
    sub.add_option("--port", port,
                   "The MIDI " + direction +
                       " port: its number or (part of) its name, as 'tamboril-kit ports' lists "
                       "them")
        ->required()
        ->type_name("N|NAME")
        ->check(NonEmptyName());
}

PortChoice FindPort(const QStringList& names, const QString& wanted) {
    const QString typed = wanted.trimmed();
    if (const std::optional<int> asNumber = DecimalNumber(typed, 6)) {
        const int number = *asNumber;
        if (number < names.size()) {
            return {number, QString()};
        }
        return {-1, names.isEmpty() ? NoPortsNumberText(typed)
                                    : NoSuchPortNumberText(typed, int(names.size() - 1))};
    }
    if (typed.isEmpty()) {
        return {-1, EmptyPortNameText()};
    }
    if (const qsizetype exact = names.indexOf(wanted); exact >= 0) {
        return {int(exact), QString()};
    }
    QList<int> sameName;
    QList<int> holding;
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(typed, Qt::CaseInsensitive) == 0) {
            sameName << i;
        }
        if (names.at(i).contains(typed, Qt::CaseInsensitive)) {
            holding << i;
        }
    }
    for (const QList<int>& found : {sameName, holding}) {
        if (found.size() == 1) {
            return {found.front(), QString()};
        }
        if (found.size() > 1) {
            QStringList matches;
            for (const int i : found) {
                matches << names.at(i);
            }
            return {-1, AmbiguousPortText(Printable(typed), quotedList(matches))};
        }
    }
    return {-1, NoSuchPortText(Printable(typed))};
}

QString PortLines(const QStringList& names) {
    if (names.isEmpty()) {
        return NoPortsLine();
    }
    QStringList lines;
    const int width = int(QString::number(names.size() - 1).size());
    for (int i = 0; i < names.size(); ++i) {
        lines << QStringLiteral("  ") + QString::number(i).rightJustified(width) +
                     QStringLiteral("  ") + Printable(names.at(i));
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace tamboril::cli
