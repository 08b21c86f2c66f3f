// The numbered message catalog and the three reporting calls. Texts are
// formatted here so that every Ui shows the same words.
#pragma once

#include <initializer_list>
#include <string>
#include <variant>

#include "tifs/ui.h"

namespace kestrel {

constexpr int kMessageCount = 65; // numbers 0 to 64

// One argument of a catalog text: a number (for %d, %u, %ld, %c) or a text (%s).
class MessageArg {
public:
    MessageArg(const std::string& text) : m_value(text) {}
    MessageArg(const char* text) : m_value(std::string(text ? text : "")) {}
    MessageArg(char c) : m_value(static_cast<long long>(static_cast<unsigned char>(c))) {}
    MessageArg(int v) : m_value(static_cast<long long>(v)) {}
    MessageArg(unsigned v) : m_value(static_cast<long long>(v)) {}
    MessageArg(long v) : m_value(static_cast<long long>(v)) {}
    MessageArg(unsigned long v) : m_value(static_cast<long long>(v)) {}
    MessageArg(long long v) : m_value(v) {}

    bool IsText() const { return std::holds_alternative<std::string>(m_value); }
    const std::string& Text() const { return std::get<std::string>(m_value); }
    long long Number() const { return std::get<long long>(m_value); }

private:
    std::variant<long long, std::string> m_value;
};

using MessageArgs = std::initializer_list<MessageArg>;

// The format text of a number; the unknown-number text outside 0 to 64.
const char* CatalogText(int number);

// Formats a printf-style text with the given arguments. A conversion without
// an argument, or of the wrong type, prints what it has: it never crashes.
// The result is cut to 511 characters, as the program's 512-byte buffer.
std::string FormatText(const char* format, MessageArgs args);

// The catalog text of a number, formatted (for an unknown number, with the number).
std::string FormatCatalogMessage(int number, MessageArgs args = {});

// The system's text for an error code, line breaks removed; "" for a code the
// system has no text for.
std::string SystemErrorText(int code);

// Shows message `number` captioned "ERROR" and makes it the last message number.
void ReportError(Ui& ui, int number, MessageArgs args = {});

// As ReportError; a non-zero system code appends "\n\nERROR %u: %s".
void ReportSystemError(Ui& ui, int systemCode, int number, MessageArgs args = {});

// As ReportError with Yes, No and Cancel; returns the answer.
Answer AskError(Ui& ui, int number, MessageArgs args = {});

} // namespace kestrel
