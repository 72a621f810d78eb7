#pragma once
// The application object and its one error handler: every event handler
// runs inside a guard that catches errors and shows them in a message box
// (title = application title, error icon, OK), then the application goes on
// with the next event.  No exception ever travels through Qt's own code.

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>
#include <utility>

// The message as shown: a "." is appended when the last character sorts
// after ".".
QString MessageWithPeriod(const QString& message);

// The text of any error that reaches the handler.
QString ErrorMessage(const std::exception_ptr& error);

// The busy cursor for the lifetime of the object, restored however the
// scope is left.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

class TqvApplication : public QApplication {
    Q_OBJECT
public:
    TqvApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows an error through the application's error handler.
void HandleApplicationError(const std::exception_ptr& error);

// Where the handler sends its messages.  By default a modal message box;
// the screenshot mode and the tests put another sink in place.  Passing an
// empty function restores the message box.
using TErrorSink = std::function<void(const QString& title, const QString& message)>;
void SetErrorSink(TErrorSink sink);
// Writes each message as one line on standard error.
void UseStandardErrorSink();

// Runs f inside the error handler's guard.
template <class F> void RunGuarded(F&& f) {
    try {
        std::forward<F>(f)();
    } catch (...) {
        HandleApplicationError(std::current_exception());
    }
}

// Wraps a handler so that it runs guarded; use it for every connect().
template <class F> auto Guarded(F f) {
    return [f = std::move(f)](auto&&... args) {
        RunGuarded([&] { f(std::forward<decltype(args)>(args)...); });
    };
}
