// The work the windows hand to a thread of its own: it shares nothing with
// the document until the window thread finishes it. Run under the thread
// sanitizer too (make test-tsan), where any shared state is a failure.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "document/ServicesDocument.h"
#include "tests/fakes/FakeFiles.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeScm.h"

namespace sc = platform::scm;

namespace {

TEST(ThreadsTest, AnOpeningOnItsOwnThreadLeavesTheDocumentToTheWindowUntilFinished) {
    fake::Scm scm;
    fake::Registry registry;
    fake::Texts texts;
    fake::Clock clock;
    for (int i = 0; i < 200; ++i)
        scm.Add("Svc" + std::to_string(i), "Service " + std::to_string(i),
                i % 2 ? sc::kRunning : sc::kStopped);
    scm.AddMachine("far");
    ServicesDocument doc(scm, registry, texts, clock);
    ASSERT_TRUE(doc.OpenDocument("localhost"));

    for (int round = 0; round < 20; ++round) {
        std::shared_ptr<MachineOpening> opening = doc.StartOpening(round % 2 ? "far" : "localhost");
        std::atomic<bool> done{false};
        std::thread worker([opening, &done] {
            opening->Run();
            done = true;
        });
        // What the window thread does meanwhile: it reads what it shows.
        uint32_t running = 0;
        while (!done)
            for (uint32_t i = 0; i < doc.currentList.GetCount(); ++i)
                running += doc.currentList.EntryAt(i)->currentState == sc::kRunning;
        worker.join();
        ASSERT_TRUE(doc.FinishOpening(*opening)) << round;
        EXPECT_EQ(doc.currentList.GetCount(), 200u);
        EXPECT_EQ(doc.referenceList.GetCount(), 200u);
        EXPECT_EQ(doc.title, round % 2 ? "far" : "localhost");
    }
    // Given up: the opening ends on its own thread, after the document moved on.
    std::shared_ptr<MachineOpening> abandoned = doc.StartOpening("far");
    std::thread([abandoned] { abandoned->Run(); }).join();
    abandoned.reset();
    EXPECT_TRUE(doc.CompareWithReference());
    EXPECT_EQ(doc.GetChangeCount(), 0);
}

}  // namespace
