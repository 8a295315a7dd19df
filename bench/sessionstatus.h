#pragma once

#include "host/db/connection.h"

namespace fin {

// Statements this session sent, as the server counts them (the count includes the
// statement that reads it).
inline qint64 Questions(TConnection& c) {
    return c
        .SelectValue(QStringLiteral("SELECT VARIABLE_VALUE FROM information_schema."
                                    "SESSION_STATUS WHERE VARIABLE_NAME = 'QUESTIONS'"))
        .toLongLong();
}

}  // namespace fin
