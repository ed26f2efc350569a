// The main loop: frame steps while `running`, and the pauses and rests
// between them.
#pragma once

// Frame steps while `running`. After a step that drew, a pause of 8 ms, or
// in a drag the one PresentPacing::dragPauseMs names; after a step that
// found nothing to do,
// a wait for the next event or the clock's next second, however long; the
// sound device is put to rest on the way.
void runFrames();

// How drag frames are paced. A renderer made with vsync may still present
// at once (Xvfb, some software drivers): drag frames drawn far quicker one
// after the other than the display refreshes show it, where waiting
// presents would have held each until the next refresh.
struct PresentPacing {
    bool vsync = false;              // the renderer was made with vsync
    double refreshMs = 1000.0 / 60;  // the display's refresh period
    int quickFrames = 0;             // drag frames in a row under 3/4 of a period apart
    bool broken = false;             // seen: presents come back at once

    bool presentsWait() const { return vsync && !broken; }
    // One more drag frame drawn, ms after the drag frame before.
    void backToBack(double ms);
    // The pause after a drag frame that took frameMs to draw and present,
    // sinceMs after the pause that followed the drag frame before, in which
    // time the game used cpuMs of CPU over all threads: no sooner than keeps
    // the drag to half a core (software GL at a large size takes tens of ms
    // of CPU a frame), and where presents do not wait, no sooner than a
    // display refresh after the frame began. Motions meanwhile are drawn
    // together in the next frame.
    double dragPauseMs(double frameMs, double sinceMs, double cpuMs) const;
};
