// The board's network-configuration reply lines ("M:", "I:", "N:", "G:", "P:",
// "D:", "L:", "R:", "System Reset") through the reply dispatch into the
// network dialog's fields and the settings record, dialog open or console
// dialogue; and the field fitting rules on the same texts.
#include "FuzzSupport.h"

#include "core/link/NetConfig.h"

#include <array>

using namespace zovax;

namespace {
class FieldsView : public NetConfigView {
public:
    std::array<QString, kConfigFieldCount> fields;
    QString fieldText(ConfigField f) const override { return fields[size_t(f)]; }
    void setFieldText(ConfigField f, const QString& text) override { fields[size_t(f)] = text; }
    void ShowConfigGroup(bool) override {}
    void setUpdateCaption(const QString&) override {}
    void enableMacField() override {}
    void fillHostGroup() override {}
    void setTargetHost(const QString&) override {}
    void setTargetPort(int) override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ensureApp();
    fuzz::Input in{data, size};
    const uint8_t flags = in.byte();
    const QByteArray payload = in.rest();

    // One link for every run (its socket is costly to make); the settings, the
    // link's state, the log and the dialog's fields are put back at the end of
    // the run, so that the run frees what it allocated.
    static test::LinkRig& rig = *new test::LinkRig(test::LinkRig::Record::Nothing);
    Settings& settings = rig.settings;
    test::FakeLog& log = rig.log;
    DeviceLink& link = rig.link;
    static FieldsView& view = *new FieldsView;
    NetConfig net(link);
    if (flags & 0x01)
        net.setView(&view);
    bool hungUp = false;
    QObject::connect(&net, &NetConfig::hangUpRequested, [&hungUp] { hungUp = true; });
    if (flags & 0x02)
        link.state().consoleConfigMode = true;
    else
        link.state().netConfigOpen = true;
    link.handlers.HandleConfigLine = [&net](const QString& l) { net.HandleConfigLine(l); };

    for (const QByteArray& l : fuzz::lines(payload)) {
        const QString line = QString::fromLatin1(l);
        link.DispatchLine(line);
        fuzz::require(FitAddressText(FitAddressText(line)) == FitAddressText(line));
        fuzz::require(FitMacText(FitMacText(line)) == FitMacText(line));
        const int port = PortFromText(line);
        fuzz::require(port == ValidPortOr(port));
        (void)SecondsFromText(line, 0);
    }
    // What the record took from the board is kept in the form its fields show.
    const SVCNF& r = settings.svcnf;
    fuzz::require(FitMacText(r.MacAdrs) == r.MacAdrs);
    for (const QString* a : {&r.SvIP, &r.NetMask, &r.Gateway, &r.PrimDNS})
        fuzz::require(FitAddressText(*a) == *a);

    link.handlers = LinkHandlers{};
    link.state() = LinkState{};
    settings = Settings{};
    log.clear();
    view = FieldsView{};
    return 0;
}
