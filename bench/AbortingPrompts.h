// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Prompts for a benchmark that expects no question and no message: any of
// them would be a fault the timing must not hide, so each one ends the run.
// A benchmark that does answer a dialog overrides that one.

#include "desktop/Prompts.h"

#include <cstdio>
#include <cstdlib>

class AbortingPrompts : public tamboril::desktop::Prompts {
  public:
    std::optional<QString> openFile(const QString& title, const QString&) override {
        fail("open dialog", title);
    }
    std::optional<QString> saveFileAsTypedNoConfirm(const QString& title, const QString&) override {
        fail("save dialog", title);
    }
    QStringList openFiles(const QString& title, const QString&) override {
        fail("open dialog", title);
    }
    std::optional<QString> chooseFolder(const QString& title, const QString&) override {
        fail("folder dialog", title);
    }
    std::optional<QString> saveFile(const QString& title, const QString&, const QString&) override {
        fail("save dialog", title);
    }
    std::optional<QString> kitName(const QString& title, const QString&) override {
        fail("kit name", title);
    }
    std::optional<int> kitNumber(const QString& title, int) override { fail("kit number", title); }
    Unsaved askUnsaved(const QString& name) override { fail("unsaved changes", name); }
    void message(const QString&, const QString& text, Severity) override { fail("message", text); }
    int choose(const QString&, const QString& text, const QStringList&) override {
        fail("question", text);
    }

  private:
    [[noreturn]] static void fail(const char* what, const QString& shown) {
        std::fprintf(stderr, "%s during the benchmark: %s\n", what, qPrintable(shown));
        std::abort();
    }
};
