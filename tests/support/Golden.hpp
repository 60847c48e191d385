#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace stowbar::test {

// Expects `actual` to equal the file tests/golden/`name`, after every `value` in `actual` was
// replaced by its `placeholder` (text that differs from run to run, such as a temporary home).
// Run with STOWBAR_UPDATE_GOLDEN=1 in the environment to rewrite the file from `actual` instead,
// after a change of output that was meant; the diff then shows what changed.
void expectGolden(const std::string& name, std::string actual,
                  const std::vector<std::pair<std::string, std::string>>& placeholders = {});

// A table kept in tests/golden/`name`, its inputs next to their results: every line that is
// not blank, a comment ("# ...") or a result ("=> ...") is an input, and the lines `answer`
// gives for it are its result. Expects the file to hold the results `answer` gives now, as
// expectGolden does; STOWBAR_UPDATE_GOLDEN=1 rewrites the results and keeps the rest.
void expectGoldenTable(const std::string& name,
                       const std::function<std::string(const std::string& input)>& answer);

}  // namespace stowbar::test
