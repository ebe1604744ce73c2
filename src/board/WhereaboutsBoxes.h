#pragma once

class AppContext;
class QComboBox;

// The destination and return boxes of every window that offers them: the
// personal list's entries, then the common list's, the first one selected.
namespace WhereaboutsBoxes {
void fillDestinations(QComboBox* box, const AppContext& ctx);
void fillReturns(QComboBox* box, const AppContext& ctx);
// An editable box that takes whatever is typed without adding it to the list.
void makeEditable(QComboBox* box);
} // namespace WhereaboutsBoxes
