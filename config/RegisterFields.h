// The register fields: the marker texts by which the bill parser recognises
// the lines of a bill, and the length of a bill date. They live in
// fields.dat, one per line, and are edited in the Register Fields dialog.
#pragma once

#include <string>
#include <vector>

#include "base/Status.h"

namespace zvonar {

enum class RegisterField {
  AbonPay,
  MinTrafPay,
  AddAbonPay,
  AddService1,
  AddService2,
  AddService3,
  VedomostRoaming,
  VedomostAdding,
  VedomostTalk,
  TypeMarker,
  CodeMarker,
  Spaces5,
  Minus,
  BalanceInfo,
  BalanceDate,
};

inline constexpr int kRegisterTextCount = 15;
inline constexpr int kDefaultDateLength = 10;

class RegisterFields {
 public:
  // The sixteen defaults.
  RegisterFields();

  // Lines as fields.dat holds them: 15 lines or fewer give the defaults;
  // otherwise lines 1..15 are the texts and line 16 the date length. Further
  // lines are kept and written back.
  static RegisterFields FromLines(std::vector<std::string> lines);

  // Reads fields.dat; a missing file gives the defaults.
  static Status Load(const std::string& path, RegisterFields* fields);
  // Writes the lines back as held.
  Status Save(const std::string& path) const;

  const std::string& Text(RegisterField field) const { return lines_[static_cast<std::size_t>(field)]; }
  void SetText(RegisterField field, std::string text) { lines_[static_cast<std::size_t>(field)] = std::move(text); }

  // Line 16 as a decimal integer; 10 when it is not one.
  int DateLength() const;
  void SetDateLength(int length) { lines_[kRegisterTextCount] = std::to_string(length); }

  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

}  // namespace zvonar
