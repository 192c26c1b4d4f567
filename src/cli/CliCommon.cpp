#include "cli/CliCommon.h"

#include "core/shell/TextNumbers.h"

namespace zovax::cli {

namespace {
const OptionSpec kHelp{QStringLiteral("help"), {}, QStringLiteral("Show this help and exit."), QStringLiteral("h")};

const OptionSpec* findOption(const CommandSpec& spec, const QString& name, bool shortName)
{
    if ((shortName ? kHelp.shortName : kHelp.name) == name)
        return &kHelp;
    for (const OptionSpec& o : spec.options) {
        if ((shortName ? o.shortName : o.name) == name && !name.isEmpty())
            return &o;
    }
    return nullptr;
}
} // namespace

bool parseArgs(const CommandSpec& spec, const QStringList& args, ParsedArgs& out, QString& error)
{
    bool optionsEnd = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (optionsEnd || a == QLatin1String("-") || !a.startsWith(QLatin1Char('-'))) {
            out.positional << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnd = true;
            continue;
        }
        const bool isLong = a.startsWith(QLatin1String("--"));
        QString name = a.mid(isLong ? 2 : 1);
        QString inlineValue;
        bool hasInline = false;
        const int eq = name.indexOf(QLatin1Char('='));
        if (isLong && eq >= 0) {
            inlineValue = name.mid(eq + 1);
            name.truncate(eq);
            hasInline = true;
        }
        const OptionSpec* o = findOption(spec, name, !isLong);
        if (!o) {
            // A negative number is a positional argument (a timing list, a row).
            bool number = false;
            a.toDouble(&number);
            if (number) {
                out.positional << a;
                continue;
            }
            error = QStringLiteral("unknown option %1").arg(a);
            return false;
        }
        if (o->valueName.isEmpty()) {
            if (hasInline) {
                error = QStringLiteral("option --%1 takes no value").arg(o->name);
                return false;
            }
            out.values[o->name] = QString();
            continue;
        }
        if (!hasInline) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("option --%1 needs a value (%2)").arg(o->name, o->valueName);
                return false;
            }
            inlineValue = args.at(++i);
        }
        out.values[o->name] = inlineValue;
    }
    if (out.has(kHelp.name))
        return true;
    if (out.positional.size() < spec.minPositional) {
        error = QStringLiteral("missing argument: %1").arg(spec.arguments.trimmed());
        return false;
    }
    if (out.positional.size() > spec.maxPositional) {
        error = QStringLiteral("unexpected argument %1").arg(out.positional.at(spec.maxPositional));
        return false;
    }
    return true;
}

QString helpText(const CommandSpec& spec)
{
    QString t = QStringLiteral("Usage: zovax %1").arg(spec.name);
    if (!spec.arguments.isEmpty())
        t += QLatin1Char(' ') + spec.arguments;
    t += QStringLiteral(" [options]\n\n") + spec.summary + QLatin1Char('\n');
    if (!spec.details.isEmpty())
        t += QLatin1Char('\n') + spec.details + QLatin1Char('\n');
    t += QStringLiteral("\nOptions:\n");
    std::vector<OptionSpec> all = spec.options;
    all.push_back(kHelp);
    for (const OptionSpec& o : all) {
        QString left = QStringLiteral("  ");
        left += o.shortName.isEmpty() ? QStringLiteral("    ") : QStringLiteral("-%1, ").arg(o.shortName);
        left += QStringLiteral("--") + o.name;
        if (!o.valueName.isEmpty())
            left += QLatin1Char(' ') + o.valueName;
        t += left.leftJustified(28) + QLatin1Char(' ') + o.help + QLatin1Char('\n');
    }
    return t;
}

bool parseBounded(const QString& text, int min, int max, int& value)
{
    const std::optional<int> v = zovax::parseBounded(text, min, max);
    if (v)
        value = *v;
    return v.has_value();
}

} // namespace zovax::cli
