#pragma once
// Scripted stand-ins for the core's small ports, shared by every test: message
// boxes that record what they were asked and answer from a script (a modal box
// must never block a test), sounds that are counted, a receive log in memory.
#include "core/shell/Ports.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace zovax::test {

class FakePrompts : public Prompts {
public:
    struct Asked {
        QString caption;
        QString text;
        MsgIcon icon;
        MsgButtons buttons;
    };
    MsgAnswer ask(const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons) override
    {
        asked.push_back({caption, text, icon, buttons});
        if (onAsk)
            onAsk(asked.back());
        if (!answers.empty()) {
            const MsgAnswer a = answers.front();
            answers.pop_front();
            return a;
        }
        if (buttons == MsgButtons::YesNoCancel)
            return MsgAnswer::No;
        return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
    QStringList texts() const
    {
        QStringList t;
        for (const auto& a : asked)
            t << a.text;
        return t;
    }
    std::vector<Asked> asked;
    std::deque<MsgAnswer> answers;           // next answers; default Yes / Ok (No for Yes/No/Cancel)
    std::function<void(const Asked&)> onAsk; // runs while the box would be showing
};

class FakeSounds : public Sounds {
public:
    void play(Sound s) override
    {
        played.push_back(s);
        chimes += s == Sound::Chime ? 1 : 0;
    }
    std::vector<Sound> played;
    int chimes = 0;
};

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
