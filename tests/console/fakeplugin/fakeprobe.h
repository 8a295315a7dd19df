#pragma once

#include "host/console/interfaces.h"

namespace fin::test {

// What the test plug-in lets a test see and steer of its snap-in.
inline const QUuid kFakeProbe{QStringLiteral("{6A0F3C1E-2B7D-4E58-9C41-0D5B8E7A2F13}")};
inline const QString kFakeSnapinName = QStringLiteral("Probni modul");

struct TFakeCounters {
    bool acceptValues = true;  // what CheckValues answers
    int loads = 0;
    int checks = 0;
    int updates = 0;
    int framesMade = 0;
    int framesDestroyed = 0;
    bool* destroyed = nullptr;  // set by the snap-in's destructor
};

class IFakeProbe : public IInterface {
public:
    virtual TFakeCounters& Counters() = 0;
};

}  // namespace fin::test
