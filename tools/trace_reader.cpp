#include "trace_reader.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QString>

#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

namespace miravel::trace {

namespace {

// What is wrong with one line; readTrace adds where it is.
struct BadLine : std::runtime_error {
    using std::runtime_error::runtime_error;
};

const char* typeName(const QJsonValue& value) {
    switch (value.type()) {
    case QJsonValue::Null:
        return "null";
    case QJsonValue::Bool:
        return "a boolean";
    case QJsonValue::Double:
        return "a number";
    case QJsonValue::String:
        return "a string";
    case QJsonValue::Array:
        return "an array";
    case QJsonValue::Object:
        return "an object";
    case QJsonValue::Undefined:
        break;
    }
    return "undefined";
}

// One line's object, its fields taken one by one so that any left over can be named.
class Fields {
public:
    explicit Fields(QJsonObject object) : object_(std::move(object)) {}

    bool has(const char* name) const { return object_.contains(QLatin1String(name)); }

    double number(const char* name) {
        const QJsonValue value = take(name);
        if (!value.isDouble()) wrongType(name, value, "a number");
        const double number = value.toDouble();
        if (!std::isfinite(number)) throw BadLine(quoted(name) + " is not a finite number");
        return number;
    }

    long long count(const char* name) {
        const double value = number(name);
        // Bounded well inside what a double counts exactly, so the cast below is exact.
        if (value < 0 || value != std::floor(value) || value > 1e15)
            throw BadLine(quoted(name) + " is not a count of pixels");
        return static_cast<long long>(value);
    }

    std::string string(const char* name) {
        const QJsonValue value = take(name);
        if (!value.isString()) wrongType(name, value, "a string");
        return value.toString().toStdString();
    }

    bool boolean(const char* name) {
        const QJsonValue value = take(name);
        if (!value.isBool()) wrongType(name, value, "a boolean");
        return value.toBool();
    }

    std::string optionalString(const char* name) { return has(name) ? string(name) : std::string(); }

    // After a kind's own fields: anything else is a field the writer never writes.
    void noneLeft(const char* kind) const {
        for (const QString& key : object_.keys())
            if (!taken_.contains(key)) throw BadLine(kind + (" line with an unknown field " + quoted(key)));
    }

private:
    static std::string quoted(const QString& name) { return trace::quoted(name.toStdString()); }
    static std::string quoted(const char* name) { return trace::quoted(name); }

    QJsonValue take(const char* name) {
        if (!has(name)) throw BadLine("no " + quoted(name) + " field");
        taken_.insert(QString::fromLatin1(name));
        return object_.value(QLatin1String(name));
    }

    [[noreturn]] static void wrongType(const char* name, const QJsonValue& value, const char* wanted) {
        throw BadLine(quoted(name) + " is " + typeName(value) + ", not " + wanted);
    }

    QJsonObject object_;
    std::set<QString> taken_;
};

Line parseLine(const std::string& text) {
    if (text.empty()) throw BadLine("empty line");
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromRawData(text.data(), static_cast<qsizetype>(text.size())), &error);
    if (error.error != QJsonParseError::NoError)
        throw BadLine("not JSON: " + error.errorString().toStdString() + " at byte " +
                      std::to_string(error.offset + 1));
    if (!document.isObject()) throw BadLine("not a JSON object");
    Fields fields(document.object());
    const double ms = fields.number("ms");
    // The kinds are told apart by the field each alone has.
    if (fields.has("handler")) {
        HandlerRun run{ms, fields.string("handler"), fields.optionalString("text"), 0};
        if (run.handler.empty()) throw BadLine("\"handler\" is empty");
        fields.noneLeft("handler");
        return run;
    }
    if (fields.has("painted")) {
        const Painted paint{ms, fields.count("painted"), fields.number("shows")};
        fields.noneLeft("painted");
        return paint;
    }
    if (fields.has("wall")) {
        const Wall wall{ms, fields.number("wall")};
        fields.noneLeft("wall");
        return wall;
    }
    if (fields.has("virtual_zero")) {
        const VirtualZero zero{ms, fields.number("virtual_zero")};
        fields.noneLeft("virtual_zero");
        return zero;
    }
    if (fields.has("resting")) {
        const Resting resting{ms, fields.boolean("resting")};
        fields.noneLeft("resting");
        return resting;
    }
    throw BadLine("none of \"handler\", \"painted\", \"wall\", \"virtual_zero\" or \"resting\"");
}

} // namespace

std::string quoted(std::string_view text) {
    std::string out = "\"";
    std::size_t characters = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        // A UTF-8 sequence counts once, at its first byte, and is never cut.
        if ((byte & 0xC0) != 0x80 && characters++ == MaxQuoted) return out + "\"...";
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(byte));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::vector<Line> readTrace(std::istream& in, const std::string& name) {
    std::vector<Line> lines;
    std::string text;
    int number = 0;
    try {
        while (std::getline(in, text)) {
            ++number;
            Line line = parseLine(text);
            if (auto* run = std::get_if<HandlerRun>(&line)) run->number = number;
            // The wall time is read when the file is opened, so it comes first and once.
            if (std::holds_alternative<Wall>(line) != (number == 1))
                throw BadLine(number == 1 ? "the first line is not the wall time" : "a second wall time");
            lines.push_back(std::move(line));
        }
    } catch (const BadLine& bad) {
        throw BadTrace(name + ':' + std::to_string(number) + ": " + bad.what());
    }
    if (in.bad()) throw BadTrace(name + ": read error after line " + std::to_string(number));
    return lines;
}

} // namespace miravel::trace
