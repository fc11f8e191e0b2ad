// kestrum-propedit FILE: edits a property file in the settings dialog.
#include "propedit.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return kestrum::propedit::Main(arguments);
}
