#pragma once
// The errors a command lets propagate. The application's general error display
// (one wrapper in the user interface, one in calvane-batch) catches CalvaneError
// and shows what() in a message box; whatever the command wrote stays written.

#include <stdexcept>
#include <string>

namespace calvane {

class CalvaneError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Division by zero, overflow or an invalid operation in a computation that must not
// absorb it.
class ArithmeticError : public CalvaneError {
public:
    using CalvaneError::CalvaneError;
};

// A file that cannot be opened or created.
class FileError : public CalvaneError {
public:
    using CalvaneError::CalvaneError;
    static FileError cannotOpen(const std::string& path) { return FileError("Cannot open file " + path); }
    static FileError cannotCreate(const std::string& path) { return FileError("Cannot create file " + path); }
};

// A fit that cannot be made: no usable points, fewer points than free parameters, or a
// standard fit that refuses the curve. Whatever the command wrote before stays.
class FitError : public CalvaneError {
public:
    using CalvaneError::CalvaneError;
};

// Data that cannot be read as the window's data, such as the rows of a loaded file
// that are not numbers.
class DataError : public CalvaneError {
public:
    using CalvaneError::CalvaneError;
};

// Reading an element that does not exist, such as point i of a shorter series.
class IndexError : public CalvaneError {
public:
    using CalvaneError::CalvaneError;
};

// The user stopped a long command (Escape, a Cancel button, closing its window). The
// command puts back what it had changed; the error display shows nothing for it.
class Cancelled : public CalvaneError {
public:
    Cancelled() : CalvaneError("Cancelled") {}
};

}  // namespace calvane
