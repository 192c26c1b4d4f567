#pragma once
// Run-time state of the links to the board and the link-mode markers that decide
// where the reply dispatcher sends each line. Plain flags, UI thread only.

namespace zovax {

// Registration's hold on the reply dispatch: off, erasing the board's table
// sector ("KRV:on", "Fe:7" answers acknowledge), storing the rows (the record
// echoes acknowledge).
enum class TableWriteMode { Off = 0, Erase = 1, Store = 2 };

struct LinkState {
    bool tcpConnected = false;      // SendLine writes to TCP
    bool portOpen = false;          // SendLine writes to the serial port
    bool recvThreadRunning = false; // serial receive side active
    bool commError = false;         // the serial port reported an error
    bool replyAck = false;          // an acknowledging reply arrived since the last SendLine

    TableWriteMode tableWriteMode = TableWriteMode::Off;
    bool tableReadMode = false;     // table read-back running: every TCP line to the decoder
    bool netConfigOpen = false;     // network dialog open: every TCP line to HandleConfigLine
    bool consoleConfigMode = false; // board's configuration dialogue started from the console
    bool downloadMode = false;      // firmware update window open: raw TCP bytes to HandleDownloadData,
                                    // link events to the update (TcpConnection::downloadLinkUp / Down)
    bool boardInLoader = false;     // the board answered from its loader (no firmware running)
    // Serial lines routed and acknowledging like TCP lines (the command-line
    // tool over a serial port); off for the windows.
    bool serialRoutedLikeTcp = false;

    // A link whose replies acknowledge: TCP, or the serial port routed like it.
    bool acknowledgingLinkUp() const { return tcpConnected || (portOpen && serialRoutedLikeTcp); }
};

} // namespace zovax
