// The recorded calls as values to look up and as text for people: the
// record is only turned into text when somebody prints it.
#include <climits>
#include <cstdio>
#include <cstring>

#include "call_trace.h"

std::string TraceValue::Label() const {
  if (kind != TraceKind::Object) return "";
  if (!given) return "null";
  if (number < 0) return "unknown";
  return objectKind + std::to_string(number);
}

const TraceValue* TraceCall::Find(const char* field) const {
  for (const TraceValue& value : arguments)
    if (std::strcmp(value.field, field) == 0) return &value;
  return nullptr;
}

std::int64_t TraceCall::Number(const char* field) const {
  const TraceValue* value = Find(field);
  return value != nullptr && value->given ? value->number : INT64_MIN;
}

std::string TraceCall::Label(const char* field) const {
  const TraceValue* value = Find(field);
  return value != nullptr ? value->Label() : "";
}

namespace {

std::string ValueText(const TraceValue& value) {
  char text[64];
  switch (value.kind) {
    case TraceKind::Number:
      return std::to_string(value.number);
    case TraceKind::Flags:
      std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value.number));
      return text;
    case TraceKind::Object:
      return value.Label();
    case TraceKind::Text:
      return value.given ? "\"" + value.text + "\"" : "null";
    case TraceKind::Rect:
      if (!value.given) return "null";
      std::snprintf(text, sizeof text, "(%ld,%ld,%ld,%ld)", static_cast<long>(value.rect.left),
                    static_cast<long>(value.rect.top), static_cast<long>(value.rect.right),
                    static_cast<long>(value.rect.bottom));
      return text;
    case TraceKind::Given:
      return value.given ? "set" : "null";
  }
  return "?";
}

}  // namespace

std::string TraceCallText(const TraceCall& call) {
  std::string text = call.name;
  if (call.variant[0] != '\0') text = text + ":" + call.variant;
  text += "(";
  for (std::size_t i = 0; i < call.arguments.size(); ++i) {
    if (i > 0) text += ", ";
    text = text + call.arguments[i].field + "=" + ValueText(call.arguments[i]);
  }
  return text + ")";
}
