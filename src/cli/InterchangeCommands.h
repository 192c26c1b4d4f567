#pragma once
// Other IR formats on the command line: converting files, importing into and
// exporting from table files, and the explanation of a stored row.
namespace zovax {
struct Settings;
}

namespace zovax::cli {

struct Io;
struct ParsedArgs;

int convertCommand(const ParsedArgs& a, const Io& io, const Settings& settings);
int tableImport(const ParsedArgs& a, const Io& io, const Settings& settings);
int tableExport(const ParsedArgs& a, const Io& io);
int tableExplain(const ParsedArgs& a, const Io& io);

} // namespace zovax::cli
