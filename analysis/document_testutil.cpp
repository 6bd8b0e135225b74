#include "analysis/document_testutil.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <set>
#include <sstream>
#include <stdexcept>
#include <utility>
#include <vector>

namespace zel {
namespace testing {

using kavero::Annotation;
using kavero::AnnotationCollection;
using kavero::Attribute;
using kavero::Attributes;
using kavero::Concept;
using kavero::ConceptFlag;
using kavero::EndAnnotation;
using kavero::EndOfStream;
using kavero::MorphData;
using kavero::Sentence;
using kavero::Token;
using kavero::annotation_cast;

namespace {

struct ReadingSpec {
  std::string pos;
  bool has_stem = false;
  std::string stem;
  double weight = 1.0;
  std::vector<std::string> properties;
  std::vector<ReadingSpec> components;
};

struct TokenSpec {
  std::string literal;
  std::set<std::string> properties;
  std::vector<ReadingSpec> readings;
};

struct ConceptSpec {
  std::string uri;
  std::vector<std::pair<std::string, std::string>> attributes;
  size_t first_token = 0;
  size_t last_token = 0;
};

struct SentenceSpec {
  std::vector<TokenSpec> tokens;
  // In the order their brackets open.
  std::vector<ConceptSpec> concepts;
};

// Reads one line of the compact text.
class LineParser {
 public:
  LineParser(const std::string& line, size_t line_number)
      : line_(line), line_number_(line_number) {}

  SentenceSpec parse() {
    SentenceSpec sentence;
    std::vector<size_t> open;
    for (;;) {
      skip_blanks();
      if (eof()) break;
      const char c = peek();
      if (c == '[') {
        ++pos_;
        ConceptSpec concept_spec;
        concept_spec.uri = read_text("{ \t]");
        if (concept_spec.uri.empty()) fail("concept without a name");
        if (accept('{')) concept_spec.attributes = read_attributes();
        concept_spec.first_token = sentence.tokens.size();
        open.push_back(sentence.concepts.size());
        sentence.concepts.push_back(std::move(concept_spec));
      } else if (c == ']') {
        ++pos_;
        if (open.empty()) fail("']' without a concept to close");
        ConceptSpec& closed = sentence.concepts[open.back()];
        open.pop_back();
        if (sentence.tokens.size() == closed.first_token) {
          fail("concept " + closed.uri + " covers no token");
        }
        closed.last_token = sentence.tokens.size() - 1;
      } else {
        sentence.tokens.push_back(read_token());
      }
    }
    if (!open.empty()) {
      fail("concept " + sentence.concepts[open.back()].uri + " is not closed");
    }
    return sentence;
  }

 private:
  bool eof() const { return pos_ >= line_.size(); }
  char peek() const { return line_[pos_]; }

  bool accept(char c) {
    if (!eof() && peek() == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  void expect(char c) {
    if (!accept(c)) fail(std::string("expected '") + c + "'");
  }

  void skip_blanks() {
    while (!eof() && (peek() == ' ' || peek() == '\t')) ++pos_;
  }

  [[noreturn]] void fail(const std::string& what) const {
    std::ostringstream message;
    message << "document text, line " << line_number_ << ", column "
            << pos_ + 1 << ": " << what << " in \"" << line_ << "\"";
    throw std::invalid_argument(message.str());
  }

  // Reads up to the first unescaped character of `stops`, or the line end.
  std::string read_text(const char* stops) {
    std::string text;
    while (!eof() && std::strchr(stops, peek()) == nullptr) {
      if (peek() == '\\') {
        ++pos_;
        if (eof()) fail("backslash at the end of the line");
      }
      text += line_[pos_++];
    }
    return text;
  }

  std::vector<std::pair<std::string, std::string>> read_attributes() {
    std::vector<std::pair<std::string, std::string>> attributes;
    do {
      std::string key = read_text("=;}");
      expect('=');
      std::string value = read_text(";}");
      attributes.emplace_back(std::move(key), std::move(value));
    } while (accept(';'));
    expect('}');
    return attributes;
  }

  TokenSpec read_token() {
    TokenSpec token;
    token.literal = read_text(" \t/{[]");
    if (token.literal.empty()) fail("token without a literal");
    if (accept('{')) {
      do {
        token.properties.insert(read_text(",}"));
      } while (accept(','));
      expect('}');
    }
    if (accept('/')) {
      do {
        token.readings.push_back(read_reading());
      } while (accept('|'));
    }
    if (!eof() && peek() != ' ' && peek() != '\t' && peek() != '[' &&
        peek() != ']') {
      fail(std::string("unexpected '") + peek() + "' after a token");
    }
    return token;
  }

  ReadingSpec read_reading() {
    static const char* const kStops = ":@+(|,)] \t";
    ReadingSpec reading;
    reading.pos = read_text(kStops);
    if (accept(':')) {
      reading.has_stem = true;
      reading.stem = read_text(kStops + 1);
    }
    if (accept('@')) {
      const std::string number = read_text(kStops + 2);
      try {
        size_t used = 0;
        reading.weight = std::stod(number, &used);
        if (used != number.size()) throw std::invalid_argument(number);
      } catch (const std::exception&) {
        fail("bad weight \"" + number + "\"");
      }
    }
    while (accept('+')) reading.properties.push_back(read_text(kStops + 2));
    if (accept('(')) {
      do {
        reading.components.push_back(read_reading());
      } while (accept(','));
      expect(')');
    }
    return reading;
  }

  const std::string& line_;
  size_t line_number_;
  size_t pos_ = 0;
};

MorphData make_reading(const ReadingSpec& spec, const std::string& stem) {
  MorphData reading(spec.pos, spec.has_stem ? spec.stem : stem, spec.weight);
  reading.properties = spec.properties;
  for (const ReadingSpec& part : spec.components) {
    reading.components.push_back(make_reading(part, std::string()));
  }
  return reading;
}

void append_sentence(const SentenceSpec& spec, std::string& text,
                     AnnotationCollection& document) {
  if (!text.empty()) text += ' ';
  std::vector<Token*> tokens;
  for (const TokenSpec& t : spec.tokens) {
    if (!tokens.empty()) text += ' ';
    const uint32_t begin = static_cast<uint32_t>(text.size());
    text += t.literal;
    Token* token =
        new Token(begin, static_cast<uint32_t>(text.size()), t.literal);
    token->properties = t.properties;
    for (const ReadingSpec& r : t.readings) {
      token->readings.push_back(make_reading(r, t.literal));
    }
    tokens.push_back(token);
  }
  const uint32_t begin = tokens.front()->begin;
  const uint32_t end = tokens.back()->end;
  Sentence* sentence = new Sentence(begin, end);
  document.push_back(sentence);
  AnnotationCollection& list = sentence->annotations;

  Concept* sentence_concept = new Concept(begin, end, "Sentence");
  list.push_back(sentence_concept);

  std::vector<Concept*> concepts;
  for (const ConceptSpec& c : spec.concepts) {
    Concept* made = new Concept(tokens[c.first_token]->begin,
                                tokens[c.last_token]->end, c.uri);
    for (const auto& attribute : c.attributes) {
      made->add(attribute.first, attribute.second, kavero::kStoreWhenShared);
    }
    concepts.push_back(made);
  }

  for (size_t i = 0; i < tokens.size(); ++i) {
    for (size_t c = 0; c < concepts.size(); ++c) {
      if (spec.concepts[c].first_token == i) list.push_back(concepts[c]);
    }
    list.push_back(tokens[i]);
    const bool last = i + 1 == tokens.size();
    EndAnnotation* closing = nullptr;
    auto attach = [&](Concept* c) {
      if (closing == nullptr) {
        closing = new EndAnnotation(tokens[i]->end);
        list.push_back(closing);
      }
      closing->add(c);
      c->end_annotation = closing;
    };
    if (last) attach(sentence_concept);
    for (size_t c = 0; c < concepts.size(); ++c) {
      if (spec.concepts[c].last_token == i) attach(concepts[c]);
    }
  }
  list.push_back(new EndOfStream(end));
}

void write_attributes(std::ostream& out, const Attributes& list) {
  bool first = true;
  for (const Attribute& entry : list) {
    if (!first) out << ';';
    first = false;
    out << entry.first << '=' << kavero::to_string(entry.second);
  }
}

void write_reading(std::ostream& out, const MorphData& reading,
                   const std::string& default_stem) {
  out << reading.pos();
  if (reading.stem != default_stem) out << ':' << reading.stem;
  if (reading.weight != 1.0) out << '@' << reading.weight;
  for (const std::string& p : reading.properties) out << '+' << p;
  if (!reading.components.empty()) {
    out << '(';
    for (size_t i = 0; i < reading.components.size(); ++i) {
      if (i > 0) out << ',';
      write_reading(out, reading.components[i], std::string());
    }
    out << ')';
  }
}

void write_offsets(std::ostream& out, const Annotation* a, unsigned details) {
  if (details & kDumpOffsets) out << '@' << a->begin << '-' << a->end;
}

void write_list(std::ostream& out, const AnnotationCollection& list,
                unsigned details) {
  bool first = true;
  for (const Annotation* a : list) {
    if (!first) out << ' ';
    first = false;
    switch (a->kind) {
      case kavero::kConceptKind: {
        const Concept* c = static_cast<const Concept*>(a);
        out << '[' << c->uri;
        write_offsets(out, a, details);
        if ((details & kDumpAttributes) &&
            (!c->attributes.own.empty() || c->attributes.store)) {
          out << '{';
          write_attributes(out, c->attributes.own);
          if (c->attributes.store) {
            out << '|';
            write_attributes(out, *c->attributes.store);
          }
          out << '}';
        }
        if ((details & kDumpFlags) && c->flags.any()) {
          out << '!';
          bool first_flag = true;
          for (size_t bit = 0; bit < kavero::kConceptFlagCount; ++bit) {
            if (!c->flags.test(bit)) continue;
            if (!first_flag) out << ',';
            first_flag = false;
            out << kavero::concept_flag_name(static_cast<ConceptFlag>(bit));
          }
        }
        break;
      }
      case kavero::kTokenKind: {
        const Token* t = static_cast<const Token*>(a);
        out << t->literal;
        write_offsets(out, a, details);
        if (details & kDumpReadings) {
          if (!t->properties.empty()) {
            out << '{';
            bool first_property = true;
            for (const std::string& p : t->properties) {
              if (!first_property) out << ',';
              first_property = false;
              out << p;
            }
            out << '}';
          }
          bool first_reading = true;
          for (const MorphData& r : t->readings) {
            out << (first_reading ? '/' : '|');
            first_reading = false;
            write_reading(out, r, t->literal);
          }
        }
        break;
      }
      case kavero::kEndAnnotationKind: {
        const EndAnnotation* e = static_cast<const EndAnnotation*>(a);
        out << ']';
        for (size_t i = 0; i < e->concepts.size(); ++i) {
          if (i > 0) out << ',';
          const Concept* c = annotation_cast<Concept>(e->concepts[i]);
          out << (c != nullptr ? c->uri : std::string("?"));
        }
        write_offsets(out, a, details);
        break;
      }
      case kavero::kEndOfStreamKind:
        out << '$';
        write_offsets(out, a, details);
        break;
      case kavero::kSentenceKind:
        out << "<sentence>";
        write_offsets(out, a, details);
        break;
      default:
        out << "<kind " << a->kind << '>';
        break;
    }
  }
}

}  // namespace

TestDocument build_document(const std::string& spec) {
  TestDocument document;
  document.sentences = std::make_shared<AnnotationCollection>();
  std::istringstream lines(spec);
  std::string line;
  size_t number = 0;
  while (std::getline(lines, line)) {
    ++number;
    SentenceSpec sentence = LineParser(line, number).parse();
    if (sentence.tokens.empty()) continue;
    append_sentence(sentence, document.text, *document.sentences);
  }
  return document;
}

std::string dump(const AnnotationCollection& list, unsigned details) {
  std::ostringstream out;
  if (list.head != nullptr && list.head->kind == kavero::kSentenceKind) {
    bool first = true;
    for (const Annotation* a : list) {
      if (!first) out << '\n';
      first = false;
      const Sentence* s = annotation_cast<Sentence>(a);
      if (s == nullptr) {
        out << "<kind " << a->kind << " in the document list>";
        continue;
      }
      if (details & kDumpOffsets) {
        out << '@' << s->begin << '-' << s->end << ' ';
      }
      write_list(out, s->annotations, details);
    }
  } else {
    write_list(out, list, details);
  }
  return out.str();
}

Concept* find_concept(const AnnotationCollection& document,
                      const std::string& uri, int n) {
  for (Annotation* a : document) {
    Sentence* s = annotation_cast<Sentence>(a);
    if (s == nullptr) continue;
    for (Annotation* b : s->annotations) {
      Concept* c = annotation_cast<Concept>(b);
      if (c != nullptr && c->uri == uri && --n == 0) return c;
    }
  }
  return nullptr;
}

Token* find_token(const AnnotationCollection& document,
                  const std::string& literal, int n) {
  for (Annotation* a : document) {
    Sentence* s = annotation_cast<Sentence>(a);
    if (s == nullptr) continue;
    for (Annotation* b : s->annotations) {
      Token* t = annotation_cast<Token>(b);
      if (t != nullptr && t->literal == literal && --n == 0) return t;
    }
  }
  return nullptr;
}

Sentence* sentence_at(const AnnotationCollection& document, size_t index) {
  for (Annotation* a : document) {
    if (index-- == 0) return annotation_cast<Sentence>(a);
  }
  return nullptr;
}

}  // namespace testing
}  // namespace zel

namespace zel {
namespace testing {

namespace {

void sentence_faults(const kavero::Sentence& sentence, size_t index,
                     std::ostream& out) {
  const AnnotationCollection& list = sentence.annotations;
  auto fault = [&](const Annotation* a, const std::string& what) {
    out << "sentence " << index << ", annotation @" << (a ? a->begin : 0)
        << '-' << (a ? a->end : 0) << ": " << what << '\n';
  };
  if (list.empty()) {
    fault(nullptr, "empty list");
    return;
  }
  const Annotation* before = nullptr;
  for (const Annotation* a = list.head; a != nullptr; a = a->next) {
    if (a->prev != before) fault(a, "prev link broken");
    before = a;
  }
  if (list.tail != before) fault(before, "tail is not the last annotation");
  const Concept* first = annotation_cast<Concept>(list.head);
  if (first == nullptr || first->uri != "Sentence") {
    fault(list.head, "the list does not begin with the Sentence concept");
  }
  if (list.tail->kind != kavero::kEndOfStreamKind) {
    fault(list.tail, "the list does not end with the end of stream");
  }
  uint32_t last_token_end = 0;
  bool seen_token = false;
  for (const Annotation* a = list.head; a != nullptr; a = a->next) {
    switch (a->kind) {
      case kavero::kTokenKind:
        if (seen_token && a->begin < last_token_end) {
          fault(a, "token out of offset order");
        }
        seen_token = true;
        last_token_end = a->end;
        break;
      case kavero::kConceptKind: {
        const Concept* c = static_cast<const Concept*>(a);
        const Annotation* next = a->next;
        while (next != nullptr && next->kind == kavero::kConceptKind) {
          next = next->next;
        }
        if (next == nullptr || next->kind != kavero::kTokenKind ||
            next->begin != c->begin) {
          fault(a, c->uri + " does not stand right before its first token");
        }
        const EndAnnotation* closing = c->end_annotation;
        bool later = false;
        for (const Annotation* b = a->next; b != nullptr; b = b->next) {
          if (b == closing) later = true;
        }
        if (closing == nullptr || !later) {
          fault(a, c->uri + " is not closed later in its list");
          break;
        }
        if (std::find(closing->concepts.begin(), closing->concepts.end(), c) ==
            closing->concepts.end()) {
          fault(a, c->uri + " is not listed by its end annotation");
        }
        const Annotation* token = closing->prev;
        while (token != nullptr && token->kind != kavero::kTokenKind) {
          token = token->prev;
        }
        if (token == nullptr || token->end != c->end) {
          fault(a, c->uri + " is not closed right after its last token");
        }
        break;
      }
      case kavero::kEndAnnotationKind: {
        const EndAnnotation* e = static_cast<const EndAnnotation*>(a);
        if (e->concepts.empty()) fault(a, "end annotation closes nothing");
        uint32_t previous_begin = UINT32_MAX;
        for (const Annotation* listed : e->concepts) {
          const Concept* c = annotation_cast<Concept>(listed);
          if (c == nullptr || c->end_annotation != e) {
            fault(a, "end annotation lists a concept it does not close");
            continue;
          }
          if (c->end != e->end || e->begin != e->end) {
            fault(a, "end annotation not at the end of " + c->uri);
          }
          if (c->begin > previous_begin) {
            fault(a, "end annotation not in descending begin order");
          }
          previous_begin = c->begin;
        }
        break;
      }
      case kavero::kEndOfStreamKind:
        if (a != list.tail) fault(a, "end of stream before the end");
        break;
      default:
        fault(a, "annotation of an unexpected kind");
    }
  }
}

}  // namespace

std::string list_faults(const AnnotationCollection& document) {
  std::ostringstream out;
  size_t index = 0;
  for (const Annotation* a = document.head; a != nullptr; a = a->next) {
    if (const Sentence* sentence = annotation_cast<Sentence>(a)) {
      sentence_faults(*sentence, index, out);
    } else {
      out << "document list holds an annotation that is no sentence\n";
    }
    ++index;
  }
  return out.str();
}

}  // namespace testing
}  // namespace zel
