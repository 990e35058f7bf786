// What the checker's passes share: the model and the findings they add to,
// the texts of their messages, and the checks of a single value that every
// pass makes on the fields, keys and data lines it looks at.
#pragma once

#include <string>
#include <string_view>

#include "check/diagnostics.h"
#include "check/script_model.h"
#include "engine/command_facts.h"

namespace velsetup::check {

std::string Quoted(std::string_view text);
std::string Bracketed(std::string_view name);

// A ';' that looks like part of a value ("a;b") where the engine cuts the
// line there. Gives the text that is lost.
bool CutBySemicolon(std::string_view raw, std::string* lost);
bool HasWildcard(std::string_view text);
// The one section with lines whose name is a slip away from `name` (case
// aside); empty when none is, or two are equally near.
std::string NearestSection(const ScriptText& script, std::string_view name);

class Pass {
 public:
  Pass(const ScriptModel& model, Diagnostics& found)
      : model_(model), script_(model.script()), found_(found) {}

 protected:
  // A field or key value the command uses, by what it is to the command.
  void CheckValue(int line, const std::string& value, FieldRole role, bool expanded,
                  const std::string& where, const std::string& command);
  void CheckTokens(int line, std::string_view text, bool expanded, const std::string& where);
  // A " ; note" inside a text that nothing cuts: it stays part of the value.
  void CheckKeptComment(int line, std::string_view text);
  // A section the script lacks may come with the file a CMD28 appends. A
  // section whose name is close to `name` is offered as the one meant.
  void MissingSection(int line, Rule rule, const std::string& message, std::string_view name);

  const ScriptModel& model_;
  const ScriptText& script_;
  Diagnostics& found_;
};

}  // namespace velsetup::check
