#pragma once
// The board's own network configuration: read from the board ("Ncnf"), edited
// in the network dialog's right-hand group and written back ("Nmac:" ..
// "Nrcv:", "Nsav"); the tool's copy lives in the SVCNF settings record. Also the
// text rules of the dialog's masked address and MAC fields.
#include <QObject>
#include <QString>

#include <functional>

namespace zovax {

class DeviceLink;

constexpr int kDefaultPort = 60000;
constexpr int kDefaultLinkDownS = 10;
constexpr int kDefaultRecvToutS = 180;

// `port` when it is a TCP port (1..65535), else `fallback`.
int ValidPortOr(int port, int fallback = kDefaultPort);
// A port typed or received as text: a decimal 1..65535 (blanks around it
// allowed), else `fallback`.
int PortFromText(const QString& text, int fallback = kDefaultPort);
// A time-out in seconds as text: a decimal >= 0, else `fallback`.
int SecondsFromText(const QString& text, int fallback);

// Fits a text to the address fields' form "ddd.ddd.ddd.ddd". Runs of digits are
// the groups (any other character ends a group, as in NormalizeIp); only four
// groups are kept, a missing group is 0, each group is read as a decimal number
// (999 at most) and written with three digits. A text already in that form
// comes back unchanged: "192.168.1.5" -> "192.168.001.005".
QString FitAddressText(const QString& text);

// Fits a text to the MAC field's form "XX-XX-XX-XX-XX-XX": the first twelve
// ASCII letters or digits, upper-cased, in pairs; missing ones are "0".
// "0a:3c:51:e0:00:01" -> "0A-3C-51-E0-00-01".
QString FitMacText(const QString& text);

// The eight settings of the board's configuration, in the order Update sends them.
enum class ConfigField { MacAdrs, SvIP, SvPort, NetMask, Gateway, PrimDNS, LinkDown, RecvTout };
constexpr int kConfigFieldCount = 8;

struct SVCNF;

// A field's value in the record as text: addresses and MAC as stored, the
// numbers in decimal.
QString recordFieldText(const SVCNF& r, ConfigField f);

// The network dialog as this part sees it.
class NetConfigView {
public:
    virtual ~NetConfigView() = default;
    // The right-hand group's fields (edtMacAdrs, edtSvIP, edtSvPort, ...).
    virtual QString fieldText(ConfigField f) const = 0;
    virtual void setFieldText(ConfigField f, const QString& text) = 0;
    // Shown (enabled, normal colours, btnSetup "Update", dialog wide) or Hidden.
    virtual void ShowConfigGroup(bool enabled) = 0;
    virtual void setUpdateCaption(const QString& caption) = 0; // btnSetup
    virtual void enableMacField() = 0;                         // editable, normal colour
    // The Host IP group: filled from the TCPIP record and collapsed.
    virtual void fillHostGroup() = 0;
    virtual void setTargetHost(const QString& host) = 0; // edtHost
    virtual void setTargetPort(int port) = 0;            // edtPort
};

class NetConfig : public QObject {
    Q_OBJECT
public:
    static constexpr int kReplyWaitMs = 100; // per setting command of Update

    // `commandLineText` gives the console's command line as typed (unset: empty).
    explicit NetConfig(DeviceLink& link, std::function<QString()> commandLineText = {});

    void setView(NetConfigView* view) { view_ = view; }
    NetConfigView* view() const { return view_; }

    // The dialog is being shown. Only when it is not open already: marks it
    // open, fills the Host IP group, then asks the board ("Ncnf") when
    // connected (over a link whose replies acknowledge) or fills the group from
    // the record. Returns whether it did.
    bool FormShow();
    // The dialog closes (by its button or its frame): TCP lines go back to the
    // ordinary dispatch.
    void FormClose();

    // One TCP line while the dialog is open or the console's configuration
    // dialogue runs. The first marker found decides: "M:", "I:", "N:", "G:",
    // "P:", "D:", "L:", "R:", "System Reset".
    void HandleConfigLine(const QString& line);

    // btnSetup: stores and sends the eight settings, 100 ms apart at most, then
    // "Nsav". A click while an update runs is ignored.
    void Update();
    // Double-click on the "Mac Address" label: the MAC becomes editable and the
    // board is asked for it.
    void MacLabelDblClick();
    // Shows or hides the group; showing also ends the update mark.
    void ShowConfigGroup(bool enabled);
    // The group's fields from the SVCNF record (the record takes the fitted texts).
    void fillFromRecord();

    bool updateRunning() const { return updateRunning_; }

signals:
    // The board's new port was received while the dialog is open: the main
    // window's host panel shows "host/port".
    void hostPanelShown(const QString& text);
    // The board restarts ("System Reset"): the TCP link is to be hung up.
    void hangUpRequested();

private:
    void putField(ConfigField f, const QString& value);
    QString readField(ConfigField f) const;

    DeviceLink& link_;
    std::function<QString()> commandLineText_;
    NetConfigView* view_ = nullptr;
    bool updateRunning_ = false;
};

} // namespace zovax
