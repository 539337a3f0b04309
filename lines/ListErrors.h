#pragma once
// Errors raised by the line lists. Callers (the forms) catch them and show their own messages;
// anything that escapes a handler is shown by the application's event filter.
#include <stdexcept>
#include <string>

// Index, count or capacity outside a list's range.
class EListError : public std::runtime_error {
public:
    EListError();
};

// A file or stream could not be opened, read, created or written.
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(const std::string &what) : std::runtime_error(what) {}
};
