// An example of a program with descriptions of its own: kestrum-propedit on an Orvo settings
// file, with Orvo's look keys described as Orvo means them (colours, the alignment as a
// choice list, margins in pixels) and LastPath as a folder.
#include "propedit.h"

#include <QApplication>

namespace {

void DescribeOrvoLook(kestrum::CDefSetDlg& dialog) {
    for (const char* key : {"LeftMargin", "RightMargin", "VerticalOffset"}) {
        dialog.SetIntRange("", key, 0, 150, "Distance in pixels (0-150).");
    }
    dialog.SetIntRange("", "OutlineSpacing", 0, 5,
                       "Extra pixels between characters while the outline is on (0-5).");
    dialog.SetIntColor("", "TextColor", "Colour of the text.");
    dialog.SetIntColor("", "TextBkgColor", "Colour of the box and the outline.");
    dialog.SetIntColor("", "BkgColor", "Colour of the picture behind the text.");
    // The stored values are 0 left, 1 centre, 2 right: the list's positions.
    dialog.SetIntCombo("", "Align", {"Left", "Center", "Right"}, "Alignment of the text lines.");
    dialog.SetStringPath("", "LastPath", "The folder the Process dialog opens in.");
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    return kestrum::propedit::Main(arguments, DescribeOrvoLook);
}
