#pragma once
// A strict little JSON reader for the tests of the readings report: objects,
// strings with every escape, numbers, true, false and null. Anything else,
// trailing text included, is a parse error, so a test that parses the report
// also checks that it is well-formed JSON.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cx::test {

struct tJson {
    enum class tKind { Null, Bool, Number, String, Object, Array } kind = tKind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::map<std::string, tJson> members;
    std::vector<tJson> items;
    std::vector<std::string> order;  // member names in the order they came

    bool IsNumber() const { return kind == tKind::Number; }
    const tJson& operator[](const std::string& name) const {
        const auto found = members.find(name);
        if (found == members.end()) throw std::runtime_error("no member " + name);
        return found->second;
    }
    bool Has(const std::string& name) const { return members.count(name) != 0; }
};

class tJsonReader {
public:
    static tJson Parse(std::string_view text) {
        tJsonReader reader(text);
        tJson value = reader.Value();
        reader.SkipBlanks();
        if (reader.m_pos != text.size()) reader.Fail("text after the value");
        return value;
    }

private:
    explicit tJsonReader(std::string_view text) : m_text(text) {}

    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at " + std::to_string(m_pos));
    }
    void SkipBlanks() {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos])))
            ++m_pos;
    }
    char Peek() {
        SkipBlanks();
        if (m_pos >= m_text.size()) Fail("unexpected end");
        return m_text[m_pos];
    }
    void Expect(char c) {
        if (Peek() != c) Fail(std::string("expected ") + c);
        ++m_pos;
    }
    bool Word(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word) return false;
        m_pos += word.size();
        return true;
    }

    tJson Value() {
        tJson v;
        const char c = Peek();
        if (c == '{') return Object();
        if (c == '[') return Array();
        if (c == '"') {
            v.kind = tJson::tKind::String;
            v.text = String();
        } else if (Word("null")) {
            v.kind = tJson::tKind::Null;
        } else if (Word("true") || Word("false")) {
            v.kind = tJson::tKind::Bool;
            v.boolean = m_text[m_pos - 1] == 'e' && m_text[m_pos - 2] == 'u';
        } else {
            v.kind = tJson::tKind::Number;
            v.number = Number();
        }
        return v;
    }
    tJson Object() {
        tJson v;
        v.kind = tJson::tKind::Object;
        Expect('{');
        if (Peek() == '}') {
            ++m_pos;
            return v;
        }
        for (;;) {
            if (Peek() != '"') Fail("expected a member name");
            std::string name = String();
            Expect(':');
            if (v.members.count(name)) Fail("duplicate member " + name);
            v.order.push_back(name);
            v.members[name] = Value();
            if (Peek() == ',') {
                ++m_pos;
                continue;
            }
            Expect('}');
            return v;
        }
    }
    tJson Array() {
        tJson v;
        v.kind = tJson::tKind::Array;
        Expect('[');
        if (Peek() == ']') {
            ++m_pos;
            return v;
        }
        for (;;) {
            v.items.push_back(Value());
            if (Peek() == ',') {
                ++m_pos;
                continue;
            }
            Expect(']');
            return v;
        }
    }
    double Number() {
        const size_t start = m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '-') ++m_pos;
        if (m_pos >= m_text.size() || !std::isdigit(static_cast<unsigned char>(m_text[m_pos])))
            Fail("bad number");
        while (m_pos < m_text.size() &&
               (std::isdigit(static_cast<unsigned char>(m_text[m_pos])) ||
                std::string_view(".eE+-").find(m_text[m_pos]) != std::string_view::npos))
            ++m_pos;
        return std::strtod(std::string(m_text.substr(start, m_pos - start)).c_str(), nullptr);
    }
    uint32_t Hex4() {
        if (m_pos + 4 > m_text.size()) Fail("short \\u escape");
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_pos++];
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= static_cast<uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= static_cast<uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= static_cast<uint32_t>(c - 'A' + 10);
            else
                Fail("bad \\u escape");
        }
        return value;
    }
    static void AppendUtf8(std::string& out, uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    std::string String() {
        Expect('"');
        std::string out;
        for (;;) {
            if (m_pos >= m_text.size()) Fail("open string");
            const char c = m_text[m_pos++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) Fail("raw control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_pos >= m_text.size()) Fail("open escape");
            const char e = m_text[m_pos++];
            switch (e) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    uint32_t cp = Hex4();
                    if (cp >= 0xD800 && cp < 0xDC00) {
                        if (!Word("\\u")) Fail("lone surrogate");
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (Hex4() - 0xDC00);
                    }
                    AppendUtf8(out, cp);
                    break;
                }
                default:
                    Fail("unknown escape");
            }
        }
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

}  // namespace cx::test
