#pragma once
// The confirmation box: the message, the title "Confirmation", OK and
// Cancel, a question icon.

#include <QString>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

// True when the user presses OK.  Modal over the active window.
bool Confirm(const QString& message);

// The box Confirm shows, not yet shown.
std::unique_ptr<QMessageBox> MakeConfirmBox(const QString& message, QWidget* parent = nullptr);

// Answers every Confirm instead of the box while set (tests); an empty
// function brings the box back.
void SetConfirmHook(std::function<bool(const QString& message)> hook);

// Makes the confirmations of ShellDelete, ShellRecycle and ShellCopy ask
// with Confirm.  The application calls it once at start.
void InstallShellConfirmation();
