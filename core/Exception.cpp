#include "core/Exception.h"

namespace orvexa {

Exception::Exception(QString message) : message_(std::move(message)), utf8_(message_.toStdString()) {}

Exception::~Exception() = default;

QString WithFullStop(const QString& message) {
    if (message.isEmpty() || message.back() <= QChar(u'.'))
        return message;
    return message + u'.';
}

}  // namespace orvexa
