#include "cerrorlogdlg.h"

#include "messages.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvo {

namespace {

constexpr int kLogWidth = 360;
constexpr int kLogHeight = 240;

} // namespace

CErrorLogDlg::CErrorLogDlg(const std::string& message, const std::string& log, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Error Log"));
    auto* messageLabel = Named(new QLabel(DisplayText(message), this), "messageLabel");
    messageLabel->setTextFormat(Qt::PlainText);
    QPalette red = messageLabel->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    messageLabel->setPalette(red);

    auto* logEdit = Named(new QPlainTextEdit(DisplayText(log), this), "logEdit");
    logEdit->setReadOnly(true);
    logEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    logEdit->setMinimumSize(kLogWidth, kLogHeight);

    auto* done = Named(new QPushButton(QStringLiteral("Done"), this), "doneButton");
    done->setDefault(true);
    connect(done, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(messageLabel);
    layout->addWidget(logEdit);
    layout->addWidget(done, 0, Qt::AlignRight);
}

} // namespace orvo
