// Many processes on one table: waits that time out, an owner that dies
// holding the mutex, and random accessor calls with the invariants checked.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "process_bed.h"

namespace {

class Contention : public FreshTableTest {};

TEST_F(Contention, TimeoutThenAbandonedOwnerDoesNotWedgeTheOthers) {
  SetDirectValue("App_1", "WINWORD.EXE, D:\\Office\\WINWORD.EXE, Microsoft Word");
  Driver holder({"load", "holdlock|mlreg_held"});
  ASSERT_TRUE(WaitNamedEvent("mlreg_held"));
  Driver waiter({"load", "findmod|WINWORD.EXE", "enable|0", "signal|mlreg_timed_out", "wait|mlreg_killed",
                 "findmod|WINWORD.EXE", "signal|mlreg_abandoned", "wait|mlreg_other_done",
                 "findmod|WINWORD.EXE", "check"});
  ASSERT_TRUE(WaitNamedEvent("mlreg_timed_out", 30000));
  holder.Kill();
  SetNamedEvent("mlreg_killed");
  ASSERT_TRUE(WaitNamedEvent("mlreg_abandoned", 30000));
  // The thread that saw the abandoned wait gave the mutex back: another
  // process gets it at once instead of timing out.
  DWORD start = GetTickCount();
  DriverRun other = RunDriver({"load", "findmod|WINWORD.EXE"});
  DWORD took = GetTickCount() - start;
  SetNamedEvent("mlreg_other_done");
  EXPECT_EQ(other.After("findmod "), "1 0");
  EXPECT_LT(took, 4000u);

  DriverRun run = waiter.Wait(30000);
  ASSERT_TRUE(run.finished);
  std::vector<std::string> l = run.Lines();
  ASSERT_EQ(l.size(), 8u) << run.out;
  EXPECT_EQ(l[1], "findmod 0 -2");  // timed out, index untouched
  EXPECT_EQ(l[2], "enable 0");
  EXPECT_EQ(l[4], "findmod 0 -2");  // abandoned: a failure
  EXPECT_EQ(l[6], "findmod 1 0");
  EXPECT_EQ(l[7], "check 0");

  std::vector<Captured> m = store.Messages();
  ASSERT_EQ(m.size(), 2u);
  EXPECT_EQ(m[0].id, 317);
  EXPECT_EQ(m[0].text,
            "Error registering WINWORD.EXE with Glyphtap. Try closing open windows and applications to "
            "free up memory.");
  EXPECT_EQ(m[1].id, 317);
}

TEST_F(Contention, RandomCallsFromSeveralProcessesKeepTheTableSound) {
  for (int n = 1; n <= 5; ++n)
    SetDirectValue("App_" + std::to_string(n), "APP0" + std::to_string(n) + ".EXE, C:\\a.exe, T");
  // One process keeps the table alive from start to end.
  Driver keeper({"load", "signal|mlreg_keeper", "wait|mlreg_stress_done", "check", "dump"});
  ASSERT_TRUE(WaitNamedEvent("mlreg_keeper"));
  std::vector<std::unique_ptr<Driver>> workers;
  for (int i = 0; i < 4; ++i)
    workers.push_back(
        std::make_unique<Driver>(std::vector<std::string>{"load", "stress|8|" + std::to_string(i + 1)}));
  // Midway a process dies while it owns the mutex.
  Sleep(2000);
  {
    Driver victim({"load", "holdlock|mlreg_victim"});
    ASSERT_TRUE(WaitNamedEvent("mlreg_victim", 20000));
    Sleep(500);
    victim.Kill();
  }
  long failures = 0;
  for (auto& w : workers) {
    DriverRun r = w->Wait(60000);
    ASSERT_TRUE(r.finished) << "deadlock: " << r.out;
    std::string s = r.After("stress ");
    ASSERT_FALSE(s.empty()) << r.out;
    EXPECT_NE(s.find("violations=0"), std::string::npos) << s;
    long ops = std::stol(s.substr(s.find("ops=") + 4));
    EXPECT_GT(ops, 100) << s;
    failures += std::stol(s.substr(s.find("failures=") + 9));
  }
  // Only the one abandoned wait may fail.
  EXPECT_LE(failures, 1);
  SetNamedEvent("mlreg_stress_done");
  DriverRun k = keeper.Wait(30000);
  ASSERT_TRUE(k.finished);
  EXPECT_EQ(k.After("check "), "0") << k.out;
  int count = -1;
  ParseDump(k, &count);
  EXPECT_GE(count, 5);
  EXPECT_LE(count, 20);
}

}  // namespace
