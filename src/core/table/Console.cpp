#include "core/table/Console.h"

#include "core/link/DeviceLink.h"
#include "core/shell/Ports.h"
#include "core/shell/Settings.h"

#include <QTimer>

namespace zovax {

Console::Console(DeviceLink& link, Prompts& prompts) : link_(link), prompts_(prompts)
{}

bool Console::AddHistory(const QString& text)
{
    if (history_.contains(text))
        return false;
    history_.append(text);
    emit historyAdded(text);
    return true;
}

bool Console::EnterPressed(const QString& text)
{
    if (text.isEmpty())
        return false;
    AddHistory(text);
    return true;
}

void Console::Send(const QString& text)
{
    LinkState& st = link_.state();
    if (st.tcpConnected) {
        if (text.isEmpty())
            return;
        AddHistory(text);
        // The comparisons are exact and case-sensitive.
        if (st.consoleConfigMode) {
            if (text == QLatin1String("Save")) {
                Settings& s = link_.settings();
                s.tcpip.Host = s.svcnf.SvIP;
                s.tcpip.Port = s.svcnf.SvPort;
                emit targetAdopted(s.tcpip.Host, s.tcpip.Port);
                st.consoleConfigMode = false;
            }
        } else if (text == QLatin1String("C")) {
            st.consoleConfigMode = true;
        }
        link_.SendLine(text);
        const quint64 seen = link_.linesReceived();
        QTimer::singleShot(answerWaitMs, &answerWatch_, [this, text, seen] {
            if (link_.linesReceived() == seen && link_.state().tcpConnected)
                link_.receiveLog().append(text + QStringLiteral(": no answer"));
        });
        return;
    }
    if (st.portOpen) {
        // The configuration dialogue is followed on TCP only.
        if (text.isEmpty())
            return;
        AddHistory(text);
        link_.SendLine(text);
        return;
    }
    tellConnectFirst(prompts_, MsgIcon::Warning);
}

} // namespace zovax
