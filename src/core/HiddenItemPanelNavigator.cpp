#include "core/HiddenItemPanelNavigator.hpp"

#include <utf8proc.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/HiddenItemPanelModel.hpp"
#include "core/UserTexts.hpp"
#include "platform/PanelHost.hpp"
#include "platform/StatusItemInfo.hpp"

namespace stowbar {

namespace {

// The form two names are compared in: decomposed, case-folded and without combining marks,
// so that "É" and "e" meet. Text that is not valid UTF-8 is compared as it is.
std::string foldedForMatching(std::string_view text) {
    utf8proc_uint8_t* folded = nullptr;
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                     static_cast<utf8proc_ssize_t>(text.size()), &folded,
                     static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_DECOMPOSE |
                                                    UTF8PROC_CASEFOLD | UTF8PROC_STRIPMARK));
    if (length < 0 || folded == nullptr) {
        std::free(folded);
        return std::string(text);
    }
    std::string result(reinterpret_cast<const char*>(folded), static_cast<std::size_t>(length));
    std::free(folded);
    return result;
}

bool printable(std::string_view text) {
    return !text.empty() && std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

// Where the last character of `text` starts, as its reader counts characters: a grapheme
// cluster, so that an emoji with its skin tone, a flag or a letter with its combining mark
// goes at once. A byte that is not valid UTF-8 counts as a character of its own.
std::size_t lastCharacterStart(std::string_view text) {
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
    std::size_t start = 0;
    std::size_t at = 0;
    utf8proc_int32_t state = 0;
    std::optional<utf8proc_int32_t> previous;
    while (at < text.size()) {
        utf8proc_int32_t codepoint = 0;
        const utf8proc_ssize_t length = utf8proc_iterate(
            bytes + at, static_cast<utf8proc_ssize_t>(text.size() - at), &codepoint);
        if (length <= 0) {
            start = at;
            previous.reset();
            state = 0;
            ++at;
            continue;
        }
        if (!previous || utf8proc_grapheme_break_stateful(*previous, codepoint, &state)) {
            start = at;
        }
        previous = codepoint;
        at += static_cast<std::size_t>(length);
    }
    return start;
}

}  // namespace

std::optional<PanelKey> panelKeyNamed(std::string_view name) {
    for (const auto& [candidate, key] : kPanelKeyNames) {
        if (candidate == name) {
            return key;
        }
    }
    return std::nullopt;
}

std::string_view panelControlLabel(PanelControl control) {
    switch (control) {
        case PanelControl::row:
            return {};
        case PanelControl::openSettings:
            return panel_text::kOpenSettings;
        case PanelControl::updates:
            return panel_text::kUpdates;
        case PanelControl::quit:
            return panel_text::kQuit;
    }
    return {};
}

bool HiddenItemPanelNavigator::nameMatches(std::string_view name, std::string_view filter) {
    return filter.empty() ||
           foldedForMatching(name).find(foldedForMatching(filter)) != std::string::npos;
}

void HiddenItemPanelNavigator::setInputs(const PanelInputs& inputs, bool offersUpdates,
                                         bool offersSettings) {
    inputs_ = inputs;
    offersUpdates_ = offersUpdates;
    offersSettings_ = offersSettings;
    const std::optional<PanelFocus> before = focus_;
    refresh();

    focus_.reset();
    if (before && before->control == PanelControl::row) {
        // The same extra wherever it went; else the row now in its place.
        const auto& rows = content_.rows;
        const auto same = std::find_if(
            rowIdentities_.begin(), rowIdentities_.end(), [this](const ExtraIdentity& identity) {
                return focusedExtra_ && identity.sameExtra(*focusedExtra_);
            });
        if (same != rowIdentities_.end()) {
            focus_ = PanelFocus{PanelControl::row,
                                static_cast<std::size_t>(same - rowIdentities_.begin())};
        } else if (!rows.empty()) {
            focus_ = PanelFocus{PanelControl::row, std::min(before->row, rows.size() - 1)};
        }
    } else if (before) {
        const auto controls = order();
        if (std::find(controls.begin(), controls.end(), *before) != controls.end()) {
            focus_ = before;
        }
    }
    if (!focus_ && open_) {
        // What a user opening the panel now would find focused: rows that arrived after a
        // loading view take the focus as they would on opening.
        focusFirst();
    }
    rememberFocusedItem();
}

void HiddenItemPanelNavigator::open() {
    open_ = true;
    focus_.reset();
    focusFirst();
    rememberFocusedItem();
}

void HiddenItemPanelNavigator::close() {
    open_ = false;
    focus_.reset();
    focusedExtra_.reset();
    if (!filter_.empty()) {
        filter_.clear();
        refresh();
    }
}

void HiddenItemPanelNavigator::focusFirst() {
    if (!content_.rows.empty()) {
        focus_ = PanelFocus{PanelControl::row, 0};
    } else if (content_.prompt && offersSettings_) {
        focus_ = PanelFocus{PanelControl::openSettings, 0};
    } else {
        focus_.reset();
    }
}

std::vector<PanelFocus> HiddenItemPanelNavigator::order() const {
    std::vector<PanelFocus> controls;
    controls.reserve(content_.rows.size() + 3);
    for (std::size_t row = 0; row < content_.rows.size(); ++row) {
        controls.push_back(PanelFocus{PanelControl::row, row});
    }
    if (content_.prompt && offersSettings_) {
        controls.push_back(PanelFocus{PanelControl::openSettings, 0});
    }
    if (offersUpdates_) {
        controls.push_back(PanelFocus{PanelControl::updates, 0});
    }
    controls.push_back(PanelFocus{PanelControl::quit, 0});
    return controls;
}

void HiddenItemPanelNavigator::move(int step, bool wrap) {
    const auto controls = order();
    const auto count = static_cast<int>(controls.size());
    const auto at = focus_ ? std::find(controls.begin(), controls.end(), *focus_) : controls.end();
    int next = 0;
    if (at == controls.end()) {
        next = step > 0 ? 0 : count - 1;
    } else {
        next = static_cast<int>(at - controls.begin()) + step;
        next = wrap ? (next + count) % count : std::clamp(next, 0, count - 1);
    }
    focus_ = controls[static_cast<std::size_t>(next)];
}

PanelCommand HiddenItemPanelNavigator::key(PanelKey key) {
    PanelCommand command = PanelCommand::none;
    switch (key) {
        case PanelKey::up:
            move(-1, false);
            break;
        case PanelKey::down:
            move(1, false);
            break;
        case PanelKey::tab:
            move(1, true);
            break;
        case PanelKey::backtab:
            move(-1, true);
            break;
        case PanelKey::home:
            focus_ = order().front();
            break;
        case PanelKey::end:
            focus_ = content_.rows.empty()
                         ? order().back()
                         : PanelFocus{PanelControl::row, content_.rows.size() - 1};
            break;
        case PanelKey::space:
            if (!filter_.empty()) {
                type(" ");
                break;
            }
            [[fallthrough]];
        case PanelKey::enter:
            command = focus_ ? PanelCommand::press : PanelCommand::none;
            break;
        case PanelKey::escape:
            if (filter_.empty()) {
                command = PanelCommand::close;
                break;
            }
            filter_.clear();
            refresh();
            focusFirst();
            break;
        case PanelKey::backspace:
            if (filter_.empty()) {
                break;
            }
            filter_.resize(lastCharacterStart(filter_));
            refresh();
            focusFirst();
            break;
    }
    rememberFocusedItem();
    return command;
}

bool HiddenItemPanelNavigator::type(std::string_view text) {
    if (content_.state != PanelState::list || !printable(text)) {
        return false;
    }
    if (filter_.empty() && text.find_first_not_of(' ') == std::string_view::npos) {
        return false;
    }
    filter_ += text;
    refresh();
    focusFirst();
    rememberFocusedItem();
    return true;
}

void HiddenItemPanelNavigator::focusRow(std::size_t row) {
    if (row < content_.rows.size()) {
        focus_ = PanelFocus{PanelControl::row, row};
        rememberFocusedItem();
    }
}

bool HiddenItemPanelNavigator::ExtraIdentity::sameExtra(const ExtraIdentity& other) const {
    // A window number names one window of the whole system for as long as it lives.
    if (windowID != 0 || other.windowID != 0) {
        return pid == other.pid && windowID == other.windowID;
    }
    return pid == other.pid && placeInProcess == other.placeInProcess;
}

void HiddenItemPanelNavigator::rememberFocusedItem() {
    if (focus_ && focus_->control == PanelControl::row && focus_->row < rowIdentities_.size()) {
        focusedExtra_ = rowIdentities_[focus_->row];
    } else {
        focusedExtra_.reset();
    }
}

const StatusItemInfo* HiddenItemPanelNavigator::focusedItem() const {
    if (!focus_ || focus_->control != PanelControl::row || focus_->row >= content_.rows.size()) {
        return nullptr;
    }
    return &content_.rows[focus_->row];
}

void HiddenItemPanelNavigator::refresh() {
    content_ = HiddenItemPanelModel::describe(inputs_);
    rowIdentities_.clear();
    if (content_.state != PanelState::list) {
        // Only a shown list can be filtered; a filter left from it would surprise later.
        filter_.clear();
        return;
    }
    // Places are counted in the whole list, so that a filter does not change them.
    std::map<std::int32_t, std::size_t> extrasSeen;
    rowIdentities_.reserve(content_.rows.size());
    for (const StatusItemInfo& item : content_.rows) {
        rowIdentities_.push_back(ExtraIdentity{item.pid, item.windowID, extrasSeen[item.pid]++});
    }
    if (filter_.empty()) {
        return;
    }
    std::vector<StatusItemInfo> rows;
    std::vector<ExtraIdentity> identities;
    for (std::size_t index = 0; index < content_.rows.size(); ++index) {
        if (nameMatches(content_.rows[index].appName, filter_)) {
            rows.push_back(std::move(content_.rows[index]));
            identities.push_back(rowIdentities_[index]);
        }
    }
    content_.rows = std::move(rows);
    rowIdentities_ = std::move(identities);
    content_.rowsScroll = HiddenItemPanelModel::rowsScroll(content_.rows.size());
    content_.filter = filter_;
    content_.footerText = HiddenItemPanelModel::filteredFooterText(
        static_cast<std::int64_t>(content_.rows.size()), content_.hiddenItemCount);
}

}  // namespace stowbar
