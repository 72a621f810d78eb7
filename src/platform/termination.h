#pragma once
// Turns SIGTERM (and SIGINT, SIGHUP) into a call on the event loop's
// thread, so that the main window can close through its ordinary path.

#include <functional>

class QObject;

// Installs the handler once; later calls replace the function.  The
// function runs on the thread of the event loop, never inside the signal
// handler.
void InstallTerminationHandler(QObject* context, std::function<void()> onTerminate);
