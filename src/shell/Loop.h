// The main loop: frame steps while `running`, and the pauses and rests
// between them.
#pragma once

// Frame steps while `running`. After a step that drew, a pause of 8 ms;
// during a drag none when presents wait for the display, else the pause
// PresentPacing::dragPauseMs names; after a step that found nothing to do,
// a wait for the next event or the clock's next second, however long; the
// sound device is put to rest on the way.
void runFrames();

// Whether presents wait for the display's refresh. A renderer made with
// vsync may still present at once (Xvfb, some software drivers): drag frames
// drawn back to back far faster than the display refreshes show it.
struct PresentPacing {
    bool vsync = false;              // the renderer was made with vsync
    double refreshMs = 1000.0 / 60;  // the display's refresh period
    int quickFrames = 0;             // back-to-back frames in a row under half a period apart
    bool broken = false;             // seen: presents come back at once

    bool presentsWait() const { return vsync && !broken; }
    // One more drag frame drawn with no pause, ms after the one before.
    void backToBack(double ms);
    // Where presents do not wait: the pause after a drag frame that took
    // frameMs to draw and present and cpuMs of CPU time over all threads.
    // The next frame comes a display refresh after this one began, and no
    // sooner than keeps the drag's drawing to half a core: software GL at a
    // large size takes tens of ms of CPU a frame. Motions meanwhile are
    // drawn together in the next frame.
    double dragPauseMs(double frameMs, double cpuMs) const;
};
