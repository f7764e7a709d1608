#pragma once
// The Windows side of the swap race: starts the host-side script
// (tests/cleaner/swap_folder.pl, copied into the build folder) that keeps
// swapping one folder of a tree for a symbolic link to another folder while
// asked to, and steers it through files in the race folder.
#include <string>

namespace testing_support {

class HostSwapper {
public:
    // race: a Windows folder below C:\ that holds the tree; swapped: the folder
    // to swap, relative to race; target: the link's target relative to the
    // swapped folder's parent ("../outside"). Each state (link or real
    // folder) lasts a random time up to pauseMs. The script gives up after
    // maxSeconds whatever happens here.
    HostSwapper(const std::string& race, const std::string& swapped, const std::string& target, int maxSeconds,
                double pauseMs = 1.0);
    ~HostSwapper();  // stops the script

    // Whether the script started and reported itself idle.
    bool Ready() const { return ready_; }
    // Starts swapping; true once the script has left its idle state.
    bool Go();
    // Swaps once and keeps the link in place until Pause; true once it is.
    bool Hold();
    // Stops swapping (or holding) and waits until the real folder is back in place;
    // returns the number of swaps made so far, or -1 when the script did not answer.
    long Pause();

private:
    std::string race_;
    bool ready_ = false;
};

}  // namespace testing_support
