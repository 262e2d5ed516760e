#pragma once

#include "core/Exception.h"

#include <QString>

namespace orvexa {

// The exceptions that stand for interpreter errors. Each class derives from
// the one above it in the family tree; the interpreter's own report has
// already been printed when one of them is raised.
class EPythonError : public Exception {
public:
    using Exception::Exception;
    QString ExceptionName;   // the interpreter exception's name
    QString ExceptionValue;  // its value as text
};

class EPyExecError : public EPythonError {
public:
    using EPythonError::EPythonError;
};
class EPyException : public EPythonError {
public:
    using EPythonError::EPythonError;
};
class EPyStandardError : public EPyException {
public:
    using EPyException::EPyException;
};
class EPySystemExit : public EPyException {
public:
    using EPyException::EPyException;
};

class EPyArithmeticError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyFloatingPointError : public EPyArithmeticError {
public:
    using EPyArithmeticError::EPyArithmeticError;
};
class EPyOverflowError : public EPyArithmeticError {
public:
    using EPyArithmeticError::EPyArithmeticError;
};
class EPyZeroDivisionError : public EPyArithmeticError {
public:
    using EPyArithmeticError::EPyArithmeticError;
};

class EPyLookupError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyIndexError : public EPyLookupError {
public:
    using EPyLookupError::EPyLookupError;
};
class EPyKeyError : public EPyLookupError {
public:
    using EPyLookupError::EPyLookupError;
};

class EPyEnvironmentError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyIOError : public EPyEnvironmentError {
public:
    using EPyEnvironmentError::EPyEnvironmentError;
};

class EPyAttributeError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyEOFError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyImportError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyKeyboardInterrupt : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyMemoryError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyNameError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyRuntimeError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPySystemError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyTypeError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};
class EPyValueError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
};

class EPySyntaxError : public EPyStandardError {
public:
    using EPyStandardError::EPyStandardError;
    QString FileName;
    QString LineText;
    int LineNumber = 0;
    int Offset = 0;
};

}  // namespace orvexa
