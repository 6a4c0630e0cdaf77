// SPDX-License-Identifier: GPL-3.0-or-later
#include "library/Library.h"

#include "bank/KitNumbers.h"
#include "library/LibraryInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace tamboril::library {

namespace {

constexpr int MaxRecentFiles = 8;
const QString RecentKey = QStringLiteral("recentFiles");
const QString FolderKey = QStringLiteral("lastFolder");

QString Canonical(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

Library::Library(QSettings& settings, std::unique_ptr<LibraryInstance> instance, QObject* parent)
    : QObject(parent), settings_(settings), instance_(std::move(instance)) {
    if (instance_) {
        connect(instance_.get(), &LibraryInstance::filesHanded, this, &Library::filesHanded);
    }
}

Library::~Library() {
    for (const auto& doc : documents_) {
        watcher_.forget(doc.get());
    }
}

Opening Library::open(const QString& path) {
    const QString absolute = Canonical(path);
    for (const auto& doc : documents_) {
        if (doc->hasFile() && Canonical(doc->bank().path) == absolute) {
            return {doc.get(), true, {}, {}};
        }
    }
    BankOpenOutcome opened = OpenBank(path);
    if (!opened.bank) {
        return {nullptr, false, opened.fault, {}};
    }
    BankDocument& doc = add(std::move(*opened.bank));
    rememberFile(doc.bank().path);
    rememberFolder(QFileInfo(absolute).absolutePath());
    return {&doc, false, {}, opened.shortKitFileSize};
}

BankDocument& Library::adopt(Bank bank) {
    bank.positionSlots = SlotsAsOpened(bank.kits);
    return add(std::move(bank));
}

BankDocument& Library::add(Bank bank) {
    documents_.push_back(std::make_unique<BankDocument>(std::move(bank)));
    BankDocument& doc = *documents_.back();
    watcher_.watch(&doc);
    emit documentAdded(&doc);
    return doc;
}

void Library::close(BankDocument& doc) {
    const auto it = std::find_if(documents_.begin(), documents_.end(),
                                 [&doc](const auto& open) { return open.get() == &doc; });
    if (it == documents_.end()) {
        return;
    }
    emit documentClosing(&doc);
    watcher_.forget(&doc);
    // Views of it may still be unwinding a signal of theirs.
    it->release()->deleteLater();
    documents_.erase(it);
}

QStringList Library::recentFiles() const {
    return settings_.value(RecentKey).toStringList();
}

void Library::rememberFile(const QString& path) {
    QStringList recent = recentFiles();
    recent.removeAll(path);
    recent.prepend(path);
    settings_.setValue(RecentKey, recent.mid(0, MaxRecentFiles));
    emit recentFilesChanged();
}

QString Library::lastFolder() const {
    return settings_.value(FolderKey, QDir::homePath()).toString();
}

void Library::rememberFolder(const QString& folder) {
    settings_.setValue(FolderKey, folder);
}

}  // namespace tamboril::library
