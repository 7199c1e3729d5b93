#pragma once
// The application's end and the stores' saves still under way: one bound for all the stores,
// waited in parallel, after which what is unsaved is kept for a later run (see SharedRecords).

#include <chrono>
#include <initializer_list>

// What the application's end asks of each store.
class SavesAtQuit {
public:
    // How long the saves still pending at quit may take, all stores together.
    static constexpr std::chrono::steady_clock::duration bound = std::chrono::seconds(1);

    virtual ~SavesAtQuit() = default;
    // The saves still waiting for the lock give up at the deadline.
    virtual void giveUpAt(std::chrono::steady_clock::time_point deadline) = 0;
    // Waits for the saves under way, keeps what is still unsaved beside the file for a later run,
    // and hands the owner every report of them before it returns. No change is saved afterwards.
    virtual void finish() = 0;
};

void finishSavesAtQuit(std::initializer_list<SavesAtQuit*> stores,
                       std::chrono::steady_clock::duration bound = SavesAtQuit::bound);
