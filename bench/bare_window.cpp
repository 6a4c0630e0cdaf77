// SPDX-License-Identifier: GPL-3.0-or-later
// A program that shows a bare QMainWindow and nothing else: what a window
// program's start-up costs with Qt alone, for comparing the Library's with.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.show();
    return QApplication::exec();
}
