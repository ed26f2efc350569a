// The main loop: frame steps while `running`, and the pauses and rests
// between them.
#pragma once

// Frame steps while `running`. After a step that drew, a pause of 8 ms;
// during a drag none when presents wait for the display, else a wait of up
// to 4 ms that input cuts short; after a step that found nothing to do, a
// wait for the next event or the clock's next second, however long; the
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
};
