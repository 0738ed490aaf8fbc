#pragma once

// What the board needs of an exercise sequencer: start it, stop its timer, lay out its controls.
// The sequencers know the board; the board knows them only through this.
class Sequencer {
public:
    virtual ~Sequencer() = default;
    virtual void SetUp() = 0;
    virtual void StopTimer() = 0;
    virtual void SetSizes() = 0;
};
