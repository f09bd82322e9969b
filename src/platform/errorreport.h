// The application-wide error report: errors that no command handles itself
// end the command and are shown in one message box; the program runs on.
#pragma once

#include "reporttext.h"

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

class Dialogs;
class QString;

// The silent error: it ends the command and shows nothing.
class EAbort : public std::runtime_error {
public:
    EAbort() : std::runtime_error("Operation aborted") {}
};

// Where the report shows its box, and under which caption.
void InstallErrorReport(Dialogs* dialogs, const QString& title);

void ReportError(const std::exception& error);
void ReportUnknownError();

// Runs f and hands any exception to the report, so none crosses a Qt frame.
template <class F> void Guard(F&& f) noexcept {
    try {
        std::forward<F>(f)();
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        ReportError(e);
    } catch (...) {
        ReportUnknownError();
    }
}

// A slot that runs a member handler under the guard, for connect().
template <class Obj, class... Args> auto Guarded(Obj* object, void (Obj::*handler)(Args...)) {
    return [object, handler](Args... args) { Guard([&] { (object->*handler)(args...); }); };
}
