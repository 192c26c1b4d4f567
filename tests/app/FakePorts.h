#pragma once
// Scripted stand-ins for message boxes and sounds in widget tests: a modal box
// must never block a test.
#include "core/shell/Ports.h"

#include <QStringList>

#include <deque>
#include <functional>

namespace zovax::test {

class FakePrompts : public Prompts {
public:
    struct Asked {
        QString caption;
        QString text;
        MsgIcon icon;
        MsgButtons buttons;
    };
    MsgAnswer ask(const QString& caption, const QString& text, MsgIcon icon,
                  MsgButtons buttons) override
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
    std::deque<MsgAnswer> answers; // next answers; default Yes / Ok
    std::function<void(const Asked&)> onAsk; // runs while the box would be showing
};

class FakeSounds : public Sounds {
public:
    void play(Sound s) override { played.push_back(s); }
    std::vector<Sound> played;
};

} // namespace zovax::test
