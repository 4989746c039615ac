#pragma once

/** A small editor the routing grid shows in a call-out box. Dismissing the box applies its edit;
    the grid can close it earlier, applying or dropping the edit. */
class RouterCallOutPanel
{
public:
    virtual ~RouterCallOutPanel() = default;

    /** Applies the edit (or drops it); only the first call counts. A panel that nobody closed
        applies its edit when it is deleted with its box. */
    virtual void closePanel (bool apply) = 0;
};
