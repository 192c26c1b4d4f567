#include "core/learning/HeadlessLearning.h"

namespace zovax {

HeadlessLearnView::HeadlessLearnView(const LearnParams& p)
    : hRange(QString::number(p.hRangePercent)), wRange(QString::number(p.wRangePercent)),
      learningTime(QString::number(p.learnTimeUs / 1000))
{}

MsgAnswer RecordingPrompts::ask(const QString& caption, const QString& text, MsgIcon, MsgButtons buttons)
{
    messages << caption + QStringLiteral(": ") + text.trimmed();
    lastText = text;
    return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

} // namespace zovax
