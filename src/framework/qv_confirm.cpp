#include "framework/qv_confirm.h"

#include "framework/qv_tools.h"

#include <QApplication>
#include <QMessageBox>

namespace {
std::function<bool(const QString&)> g_hook;
} // namespace

std::unique_ptr<QMessageBox> MakeConfirmBox(const QString& message, QWidget* parent) {
    auto box =
        std::make_unique<QMessageBox>(QMessageBox::Question, QStringLiteral("Confirmation"),
                                      message, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box->setDefaultButton(QMessageBox::Ok);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

bool Confirm(const QString& message) {
    if (g_hook)
        return g_hook(message);
    const auto box = MakeConfirmBox(message, QApplication::activeWindow());
    return box->exec() == QMessageBox::Ok;
}

void SetConfirmHook(std::function<bool(const QString& message)> hook) {
    g_hook = std::move(hook);
}

void InstallShellConfirmation() {
    SetShellConfirmation(&Confirm);
}
