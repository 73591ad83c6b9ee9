#pragma once

#include <QString>

namespace quessel {

// Where a web process shows its step statuses: the step grid of the process window, which has
// one header row, so row n is step n and the status is column 1.
class WebProcessStatusSink
{
public:
    virtual ~WebProcessStatusSink() = default;

    // Rows including the header row.
    virtual int rowCount() const = 0;
    virtual void setStatusText(int row, const QString& text) = 0;
    // Called after a status was written, so the grid can repaint at once.
    virtual void redraw() = 0;
};

} // namespace quessel
