#pragma once
#include "core/shell/Ports.h"

#include <QStringList>

namespace zovax::test {

// A receive log that keeps its lines in memory.
class FakeLog : public ReceiveLog {
public:
    void append(const QString& line) override { lines << line; }
    void clear() override
    {
        lines.clear();
        ++clears;
    }
    int lineCount() const override { return int(lines.size()); }
    QStringList lines;
    int clears = 0;
};

} // namespace zovax::test
