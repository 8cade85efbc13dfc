// One control per thread: each thread has its own settings and lists, and an object used from a
// thread other than its creator's raises error 5. Needs no gateway.
#include <orvulink/orvulink.hpp>

#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

int main() {
  auto control = orvulink::OrvuLinkActiveX::Create();
  control->UserName("main-thread-user");

  int crossThreadError = 0;
  std::string workerUser;
  std::thread worker([&] {
    try {
      (void)control->UserName();  // the main thread's control: refused
    } catch (const orvulink::AutomationError& e) {
      crossThreadError = e.Number();
      std::cout << "worker: error " << e.Number() << ": " << e.Description().utf8() << '\n';
    }
    // A control of the worker's own, with settings of its own.
    auto own = orvulink::OrvuLinkActiveX::Create();
    own->UserName("worker-user");
    workerUser = own->UserName().utf8();
  });
  worker.join();

  std::cout << "main: " << control->UserName().utf8() << ", worker: " << workerUser << '\n';
  const bool ok = crossThreadError == 5 &&
                  control->UserName() == orvulink::BStr("main-thread-user") &&
                  workerUser == "worker-user";
  return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
