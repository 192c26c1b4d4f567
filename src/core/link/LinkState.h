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
    bool downloadMode = false;      // firmware window visible: raw TCP bytes to HandleDownloadData
};

} // namespace zovax
