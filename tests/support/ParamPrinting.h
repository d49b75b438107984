#pragma once

// Readable parameterised tests: PrintFields prints a case struct field by field (GoogleTest would
// print its bytes), and ParamName turns free text into a test name.
//
//   struct SplitCase { const char* text; int count; };
//   void PrintTo(const SplitCase& c, std::ostream* os) { orlex::test::PrintFields(c, os); }
//
// prints {"a;b", 2}. The fields of a plain struct are found through structured bindings, so the
// struct needs no list of its own; a member GoogleTest cannot print (a nested case struct, std::tm)
// is printed the same way, a list element by element, a function as whether it is set, an enum as
// its number.

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace orlex::test {

namespace detail {

// Stands in for any field while counting the fields of an aggregate; never called.
struct TAnyField {
  template <typename T>
  operator T() const;
};

template <typename T, std::size_t... I>
constexpr bool BracesHold(std::index_sequence<I...>) {
  return requires { T{(static_cast<void>(I), TAnyField{})...}; };
}

// The number of fields of an aggregate without bases: the most initialisers its braces take.
template <typename T, std::size_t N = 12>
constexpr std::size_t FieldCount() {
  if constexpr (N == 0) {
    return 0;
  } else if constexpr (BracesHold<T>(std::make_index_sequence<N>())) {
    return N;
  } else {
    return FieldCount<T, N - 1>();
  }
}

template <typename T>
struct IsFunction : std::false_type {};
template <typename R, typename... A>
struct IsFunction<std::function<R(A...)>> : std::true_type {};

template <typename T>
concept Streamable = requires(std::ostream& os, const T& v) { os << v; };

template <typename T>
concept Container = requires(const T& v) {
  v.begin();
  v.end();
};

// A type with a printer of its own next to it (found by argument dependent lookup).
template <typename T>
concept OwnPrinter = requires(const T& v, std::ostream* os) { PrintTo(v, os); };

// A struct GoogleTest would print as bytes.
template <typename T>
concept PlainStruct =
    std::is_class_v<T> && std::is_aggregate_v<T> && !Streamable<T> && !Container<T> && !OwnPrinter<T>;

}  // namespace detail

template <typename T>
void PrintFields(const T& value, std::ostream* os);

template <typename T>
void PrintField(const T& field, std::ostream* os) {
  if constexpr (std::is_enum_v<T>) {
    // As its number: an enum on a byte would otherwise print as a character.
    *os << static_cast<long long>(field);
  } else if constexpr (detail::IsFunction<T>::value) {
    *os << (field ? "<function>" : "<none>");
  } else if constexpr (detail::PlainStruct<T>) {
    PrintFields(field, os);
  } else if constexpr (detail::Container<T> && !detail::Streamable<T> && !detail::OwnPrinter<T>) {
    // Elements one by one, so a list of plain structs prints their fields.
    *os << '{';
    const char* separator = "";
    for (const auto& element : field) {
      *os << separator;
      PrintField(element, os);
      separator = ", ";
    }
    *os << '}';
  } else {
    *os << testing::PrintToString(field);
  }
}

// Calls visit with the fields of a plain struct, in order.
template <typename T, typename F>
decltype(auto) VisitFields(const T& value, F&& visit) {
  constexpr std::size_t count = detail::FieldCount<T>();
  static_assert(count >= 1 && count <= 12, "plain structs of 1 to 12 fields");
  if constexpr (count == 1) {
    const auto& [a] = value;
    return visit(a);
  } else if constexpr (count == 2) {
    const auto& [a, b] = value;
    return visit(a, b);
  } else if constexpr (count == 3) {
    const auto& [a, b, c] = value;
    return visit(a, b, c);
  } else if constexpr (count == 4) {
    const auto& [a, b, c, d] = value;
    return visit(a, b, c, d);
  } else if constexpr (count == 5) {
    const auto& [a, b, c, d, e] = value;
    return visit(a, b, c, d, e);
  } else if constexpr (count == 6) {
    const auto& [a, b, c, d, e, f] = value;
    return visit(a, b, c, d, e, f);
  } else if constexpr (count == 7) {
    const auto& [a, b, c, d, e, f, g] = value;
    return visit(a, b, c, d, e, f, g);
  } else if constexpr (count == 8) {
    const auto& [a, b, c, d, e, f, g, h] = value;
    return visit(a, b, c, d, e, f, g, h);
  } else if constexpr (count == 9) {
    const auto& [a, b, c, d, e, f, g, h, i] = value;
    return visit(a, b, c, d, e, f, g, h, i);
  } else if constexpr (count == 10) {
    const auto& [a, b, c, d, e, f, g, h, i, j] = value;
    return visit(a, b, c, d, e, f, g, h, i, j);
  } else if constexpr (count == 11) {
    const auto& [a, b, c, d, e, f, g, h, i, j, k] = value;
    return visit(a, b, c, d, e, f, g, h, i, j, k);
  } else {
    const auto& [a, b, c, d, e, f, g, h, i, j, k, l] = value;
    return visit(a, b, c, d, e, f, g, h, i, j, k, l);
  }
}

template <typename T>
void PrintFields(const T& value, std::ostream* os) {
  VisitFields(value, [os](const auto&... fields) {
    *os << '{';
    const char* separator = "";
    ((*os << separator, PrintField(fields, os), separator = ", "), ...);
    *os << '}';
  });
}

// A test name from free text: letters and digits kept, every other run of characters one '_'
// ("de_DE.UTF-8" gives "de_DE_UTF_8"); "Empty" for text without either.
inline std::string ParamName(std::string_view text) {
  std::string name;
  for (const char c : text) {
    const bool kept = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (kept) {
      name += c;
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name.empty() ? "Empty" : name;
}


// A name generator for tables whose cases carry no name: the case's number, then its first field
// ("3_k1_1500" for a case that starts with "k1,1500"); the number keeps names unique where the
// first fields repeat.
struct TCaseName {
  template <typename Info>
  std::string operator()(const Info& info) const {
    using T = std::decay_t<decltype(info.param)>;
    std::ostringstream first;
    if constexpr (std::is_class_v<T> && std::is_aggregate_v<T>) {
      VisitFields(info.param, [&first](const auto& field, const auto&...) { PrintField(field, &first); });
    } else {
      PrintField(info.param, &first);
    }
    std::string name = ParamName(first.str()).substr(0, 40);
    while (!name.empty() && name.back() == '_') name.pop_back();
    return std::to_string(info.index) + "_" + name;
  }
};
inline constexpr TCaseName CaseName;

}  // namespace orlex::test
