#include "caboutdlg.h"

#include "messages.h"
#include "programicon.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace orvo {

namespace {

constexpr int kIconSize = 32;

QLabel* PlainLabel(const QString& text, const char* name, QWidget* parent) {
    auto* label = Named(new QLabel(text, parent), name);
    // A version text holds no mnemonics and no markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

CAboutDlg::CAboutDlg(const std::string& version, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Orvo"));
    auto* icon = Named(new QLabel(this), "iconLabel");
    icon->setPixmap(ProgramIcon().pixmap(kIconSize, kIconSize));
    auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "okButton");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(16);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(PlainLabel(QStringLiteral("Tessaly"), "productLabel", this), 0, 1);
    layout->addWidget(PlainLabel(DisplayText(version), "versionLabel", this), 1, 1);
    layout->addWidget(ok, 0, 2, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace orvo
