#include "Form1.h"
#include "QtPrompts.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamboril"));
    QApplication::setApplicationVersion(QStringLiteral("1.00"));

    tamboril::ui::QtPrompts prompts;
    tamboril::ui::Form1 window(prompts);
    window.show();
    return QApplication::exec();
}
