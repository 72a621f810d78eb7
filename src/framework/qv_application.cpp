#include "framework/qv_application.h"

#include "framework/qv_str.h"
#include "framework/qv_tools.h"

#include <QMessageBox>

#include <cstdio>

namespace {
TErrorSink& Sink() {
    static TErrorSink sink;
    return sink;
}
} // namespace

QString MessageWithPeriod(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

QString ErrorMessage(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const EToolsError& e) {
        return e.Message;
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

TqvApplication::TqvApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TqvApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleApplicationError(std::current_exception());
        return false;
    }
}

void HandleApplicationError(const std::exception_ptr& error) {
    const QString title = QApplication::applicationDisplayName().isEmpty()
                              ? QStringLiteral("Tralu")
                              : QApplication::applicationDisplayName();
    const QString message = MessageWithPeriod(ErrorMessage(error));
    if (Sink()) {
        Sink()(title, message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, title, message, QMessageBox::Ok);
    box.exec();
}

void SetErrorSink(TErrorSink sink) {
    Sink() = std::move(sink);
}

void UseStandardErrorSink() {
    SetErrorSink([](const QString& title, const QString& message) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(message));
    });
}
