#pragma once

#include <QString>

#include <exception>
#include <string>

namespace orvexa {

// The base exception class of the program: every failure that is not an
// interpreter error is raised as one of these, carrying the message text the
// user will read in the general error box.
class Exception : public std::exception {
public:
    explicit Exception(QString message);
    ~Exception() override;

    const QString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.c_str(); }

private:
    QString message_;
    std::string utf8_;
};

// The general error box's text: the message with a full stop appended unless
// its last character sorts at or before the full stop (so "...?" or "x."
// stay as they are, and an empty message stays empty).
QString WithFullStop(const QString& message);

}  // namespace orvexa
