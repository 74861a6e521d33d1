#include "files/IniDialect.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cctype>
#include <optional>

namespace files {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toUtf8(const QString& text) {
    return text.toStdString();
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

bool isLineBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::optional<int> hexValue(char16_t c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return std::nullopt;
}

// Trailing blanks of an unquoted value are not part of it; `limit` protects escaped ones.
void chopTrailingBlanks(QString& text, qsizetype limit) {
    while (text.size() > limit && (text.back() == u' ' || text.back() == u'\t')) text.chop(1);
}

// A backslash and a letter for a character. Reading knows \? and \' as well, writing leaves those
// characters as they are.
struct Escape {
    char letter;
    char16_t character;
    bool written;
};
constexpr Escape kEscapes[] = {
    {'a', u'\a', true},  {'b', u'\b', true}, {'f', u'\f', true},   {'n', u'\n', true},
    {'r', u'\r', true},  {'t', u'\t', true}, {'v', u'\v', true},   {'"', u'"', true},
    {'\\', u'\\', true}, {'?', u'?', false}, {'\'', u'\'', false},
};

const Escape* escapeByLetter(char letter) {
    for (const Escape& escape : kEscapes)
        if (escape.letter == letter) return &escape;
    return nullptr;
}

const Escape* escapeWrittenFor(char16_t character) {
    for (const Escape& escape : kEscapes)
        if (escape.written && escape.character == character) return &escape;
    return nullptr;
}

// "\\x1f": a control character, or a hex digit that would otherwise join the number before it.
std::string hexEscape(char16_t c) {
    return "\\x" + QByteArray::number(int(c), 16).toStdString();
}

// The typed forms that QSettings puts in front of a text it could otherwise not tell apart.
QString untyped(const QString& text) {
    if (!text.startsWith(u'@')) return text;
    if (text.endsWith(u')')) {
        if (text.startsWith(QLatin1String("@String("))) return text.sliced(8).chopped(1);
        if (text.startsWith(QLatin1String("@ByteArray(")))
            return QString::fromUtf8(text.sliced(11).chopped(1).toLatin1());
        if (text == QLatin1String("@Invalid()")) return {};
    }
    return text.startsWith(QLatin1String("@@")) ? text.sliced(1) : text;
}

// Reads a value the way QSettings does, character by character; see decodeIniValue.
class ValueReader {
public:
    explicit ValueReader(std::string_view raw) : raw_(raw) {}

    std::string read() {
        skipBlanks();
        bool chopAtEnd = true;
        while (i_ < raw_.size()) {
            const char c = raw_[i_];
            if (c == '\\') {
                if (!readEscape()) {
                    chopAtEnd = false; // the value ended inside an escape
                    break;
                }
            } else if (c == '"') {
                ++i_;
                quoted_ = true;
                inQuotes_ = !inQuotes_;
                if (!inQuotes_) skipBlanks();
                protectedUpTo_ = current_.size();
            } else if (c == ',' && !inQuotes_) {
                if (!quoted_) chopTrailingBlanks(current_, protectedUpTo_);
                list_.append(untyped(current_));
                isList_ = true;
                current_.clear();
                quoted_ = false;
                ++i_;
                skipBlanks();
                protectedUpTo_ = 0;
            } else {
                std::size_t j = i_ + 1;
                while (j < raw_.size() && raw_[j] != '\\' && raw_[j] != '"' && raw_[j] != ',') ++j;
                current_ += fromUtf8(raw_.substr(i_, j - i_));
                i_ = j;
            }
        }
        if (chopAtEnd && !quoted_) chopTrailingBlanks(current_, protectedUpTo_);
        if (!isList_) return toUtf8(untyped(current_));
        list_.append(untyped(current_));
        return toUtf8(list_.join(QLatin1String(", ")));
    }

private:
    void skipBlanks() {
        while (i_ < raw_.size() && isBlank(raw_[i_])) ++i_;
    }

    // At a backslash; false when the value ends within the escape.
    bool readEscape() {
        if (++i_ >= raw_.size()) return false;
        const char c = raw_[i_++];
        if (const Escape* escape = escapeByLetter(c)) {
            current_ += QChar(escape->character);
        } else if (c == 'x') {
            if (i_ >= raw_.size()) return false;
            if (hexValue(raw_[i_])) return readNumber(16);
        } else if (c >= '0' && c <= '7') {
            --i_;
            return readNumber(8);
        } else if ((c == '\n' || c == '\r') && i_ < raw_.size()) {
            // A line continued with a backslash; the line break is no part of the value.
            const char next = raw_[i_];
            if ((next == '\n' || next == '\r') && next != c) ++i_;
        } // any other character after a backslash is dropped
        protectedUpTo_ = current_.size();
        return true;
    }

    // The digits of a \x or octal escape; the character is a UTF-16 unit, as in QSettings.
    bool readNumber(int base) {
        char16_t value = 0;
        for (; i_ < raw_.size(); ++i_) {
            const std::optional<int> digit = hexValue(raw_[i_]);
            if (!digit || *digit >= base) break;
            value = char16_t(value * base + *digit);
        }
        current_ += QChar(value);
        protectedUpTo_ = current_.size();
        return i_ < raw_.size();
    }

    std::string_view raw_;
    std::size_t i_ = 0;
    QString current_;
    QStringList list_;
    qsizetype protectedUpTo_ = 0;
    bool isList_ = false;
    bool inQuotes_ = false;
    bool quoted_ = false;
};

} // namespace

std::string encodeIniKey(std::string_view name) {
    std::string result;
    for (const QChar qc : fromUtf8(name)) {
        const char16_t c = qc.unicode();
        if (c == '/') {
            result += '\\';
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '_' || c == '-' || c == '.') {
            result += char(c);
        } else if (c <= 0xFF) {
            result += {'%', kHexDigits[c / 16], kHexDigits[c % 16]};
        } else {
            result += "%U";
            for (int shift = 12; shift >= 0; shift -= 4) result += kHexDigits[(c >> shift) & 0xF];
        }
    }
    return result;
}

std::string decodeIniKey(std::string_view raw) {
    const QString text = fromUtf8(trimmed(raw));
    QString result;
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text[i];
        if (c == u'\\') {
            result += u'/';
            ++i;
            continue;
        }
        const qsizetype digitsAt = i + (i + 1 < text.size() && text[i + 1] == u'U' ? 2 : 1);
        const qsizetype digits = digitsAt == i + 2 ? 4 : 2;
        bool escaped = c == u'%' && digitsAt + digits <= text.size();
        char16_t value = 0;
        for (qsizetype k = 0; escaped && k < digits; ++k) {
            const std::optional<int> digit = hexValue(text[digitsAt + k].unicode());
            escaped = digit.has_value();
            value = char16_t(value * 16 + digit.value_or(0));
        }
        if (escaped) {
            result += QChar(value);
            i = digitsAt + digits;
        } else {
            result += c;
            ++i;
        }
    }
    return toUtf8(result);
}

std::string decodeIniSection(std::string_view raw) {
    raw = trimmed(raw);
    if (fromUtf8(raw).compare(QLatin1String("general"), Qt::CaseInsensitive) == 0) return "";
    if (fromUtf8(raw).compare(QLatin1String("%general"), Qt::CaseInsensitive) == 0)
        return std::string(raw.substr(1));
    return decodeIniKey(raw);
}

std::string encodeIniValue(std::string_view value) {
    QString text = fromUtf8(value);
    if (text.contains(QChar(u'\0')))
        text = "@String(" + text + ")";
    else if (text.startsWith(u'@'))
        text.prepend(u'@');

    std::string result;
    QString plain; // characters written as they are, in UTF-8 when the next escape comes
    auto flush = [&] {
        result += toUtf8(plain);
        plain.clear();
    };
    bool needsQuotes = false;
    bool escapeNextHexDigit = false; // after \0 or \xNN, a hex digit would join the number
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c == ';' || c == ',' || c == '=') needsQuotes = true;
        if (escapeNextHexDigit && hexValue(c)) {
            flush();
            result += hexEscape(c);
            continue;
        }
        escapeNextHexDigit = false;
        if (const Escape* escape = escapeWrittenFor(c)) {
            flush();
            result += {'\\', escape->letter};
        } else if (c == 0) {
            flush();
            result += "\\0";
            escapeNextHexDigit = true;
        } else if (c <= 0x1F) {
            flush();
            result += hexEscape(c);
            escapeNextHexDigit = true;
        } else {
            plain += qc;
        }
    }
    flush();
    if (needsQuotes || (!result.empty() && (result.front() == ' ' || result.back() == ' ')))
        return '"' + result + '"';
    return result;
}

std::string decodeIniValue(std::string_view raw) {
    return ValueReader(raw).read();
}

bool nextIniLine(std::string_view text, std::size_t& position, IniLine& line) {
    std::size_t start = position;
    while (start < text.size() && isLineBlank(text[start])) ++start;
    std::size_t equals = IniLine::kNoEquals;
    bool inQuotes = false;
    std::size_t i = start;
    for (bool ended = false; i < text.size() && !ended;) {
        const char c = text[i++];
        switch (c) {
        case '=':
            if (!inQuotes && equals == IniLine::kNoEquals) equals = i - 1;
            break;
        case '\n':
        case '\r':
            if (!inQuotes) ended = true;
            break;
        case '\\': // the next character belongs to the line, and so does a two-byte line break
            if (i < text.size()) {
                const char escaped = text[i++];
                if (i < text.size() &&
                    ((escaped == '\n' && text[i] == '\r') || (escaped == '\r' && text[i] == '\n')))
                    ++i;
            }
            break;
        case '"':
            inQuotes = !inQuotes;
            break;
        case ';':
            if (i == start + 1) { // a comment line, skipped with the blank lines after it
                while (i < text.size() && text[i] != '\n' && text[i] != '\r') ++i;
                while (i < text.size() && isLineBlank(text[i])) ++i;
                start = i;
            } else if (!inQuotes) {
                ended = true;
            }
            break;
        default:
            break;
        }
        if (ended) --i;
    }
    position = i;
    line = {start, i, equals};
    return i > start;
}

bool sameIniKey(std::string_view a, std::string_view b) {
#ifdef _WIN32
    return fromUtf8(a).compare(fromUtf8(b), Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

} // namespace files
