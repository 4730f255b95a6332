#pragma once

class QAbstractItemView;
class QHelpEvent;

// Shows the whole text of an item view's cell as a tool tip when the cell cuts it and the model
// gives no tool tip of its own. True when it showed one; the view's viewportEvent returns that.
namespace CutTextToolTip {

bool show(QAbstractItemView *view, const QHelpEvent *event);

} // namespace CutTextToolTip
