// lexiphon-pageserver: the translation page for the Lexiphon programs of a
// classroom or an office, offline through the dictionary or in front of a
// LibreTranslate-compatible server.
#include "pageservice/dictionary.h"
#include "version.h"
#include "pageservice/pageserver.h"

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <future>
#include <thread>

namespace {

constexpr const char* kUsage =
    "Usage: lexiphon-pageserver [OPTION]...\n"
    "Serves the translation page that Lexiphon's 英译汉 and 汉译英 commands post to.\n"
    "\n"
    "  --listen ADDRESS    address to listen on (default 127.0.0.1; 0.0.0.0 for every\n"
    "                      interface, so that other machines can reach it)\n"
    "  --port N            port to listen on (default 8080; 0 picks a free one)\n"
    "  --engine NAME       dictionary: offline translation by grammar rules over a\n"
    "                      core vocabulary and CC-CEDICT (default); libretranslate:\n"
    "                      forward the text to a\n"
    "                      LibreTranslate-compatible server (needs --upstream)\n"
    "  --upstream URL      that server, e.g. http://mt.example.org:5000\n"
    "  --api-key KEY       its API key, if it wants one (or LEXIPHON_UPSTREAM_API_KEY,\n"
    "                      which keeps the key out of the process list)\n"
    "  --upstream-zh CODE  its code for Chinese (default zh; some want zh-Hans)\n"
    "  --timeout SECONDS   how long to wait for it (default 15)\n"
    "  --dictionary FILE   the converted dictionary (default: the installed one, or\n"
    "                      LEXIPHON_DICTIONARY)\n"
    "  --threads N         requests translated at once (default 16)\n"
    "  --max-connections N connections open at once (default 512; 0: no limit)\n"
    "  --max-per-address N connections from one address (default 32; 0: no limit;\n"
    "                      raise it when the classroom reaches us through one router)\n"
    "  --help              show this text\n"
    "  --version           show the version\n"
    "\n"
    "On each Lexiphon machine, name this server in setting.ini (in the folder the\n"
    "program runs in):\n"
    "  [translate]\n"
    "  host=SERVER:PORT\n"
    "Without a host there, Lexiphon runs the dictionary service inside itself.\n";

bool Number(const char* text, int low, int high, int& out) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (!*text || *end || value < low || value > high) return false;
  out = static_cast<int>(value);
  return true;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "lexiphon-pageserver: %s\n", message.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  pageservice::PageServiceConfig config;
  std::string host = "127.0.0.1";
  int port = 8080;
  if (const char* key = std::getenv("LEXIPHON_UPSTREAM_API_KEY")) config.upstream.strApiKey = key;

  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("lexiphon-pageserver %s\n", LEX_VERSION);
      return 0;
    }
    if (i + 1 >= argc) return Fail("unknown option or missing value: " + std::string(arg) + " (see --help)");
    const char* value = argv[++i];
    int seconds = 0;
    if (arg == "--listen") {
      host = value;
    } else if (arg == "--port") {
      if (!Number(value, 0, 65535, port)) return Fail("not a port: " + std::string(value));
    } else if (arg == "--engine") {
      if (std::strcmp(value, "dictionary") == 0) {
        config.engine = pageservice::PageServiceConfig::Engine::Dictionary;
      } else if (std::strcmp(value, "libretranslate") == 0) {
        config.engine = pageservice::PageServiceConfig::Engine::Upstream;
        config.makeUpstream = &pageservice::MakeUpstreamEngine;
      } else {
        return Fail("unknown engine: " + std::string(value) + " (dictionary or libretranslate)");
      }
    } else if (arg == "--upstream") {
      config.upstream.strUrl = value;
    } else if (arg == "--api-key") {
      config.upstream.strApiKey = value;
    } else if (arg == "--upstream-zh") {
      config.upstream.strZhCode = value;
    } else if (arg == "--timeout") {
      if (!Number(value, 1, 3600, seconds)) return Fail("not a number of seconds: " + std::string(value));
      config.upstream.timeout = std::chrono::seconds(seconds);
    } else if (arg == "--dictionary") {
      config.strDictionaryPath = value;
    } else if (arg == "--threads") {
      if (!Number(value, 1, 1024, config.nThreads)) return Fail("not a thread count: " + std::string(value));
    } else if (arg == "--max-connections" || arg == "--max-per-address") {
      int count = 0;
      if (!Number(value, 0, 1000000, count)) return Fail("not a connection count: " + std::string(value));
      (arg == "--max-connections" ? config.nMaxConnections : config.nMaxConnectionsPerAddress) =
          static_cast<std::size_t>(count);
    } else {
      return Fail("unknown option: " + std::string(arg) + " (see --help)");
    }
  }

  // The signals are taken by a thread of our own, so that stopping runs as
  // ordinary code; every thread started later inherits the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  pageservice::CPageServer server(config);
  std::string error;
  const auto started = std::chrono::steady_clock::now();
  if (!server.Prepare(error)) return Fail(error);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  if (server.Bind(host, port) < 0) return Fail("cannot listen on " + host + ":" + std::to_string(port));
  if (config.engine == pageservice::PageServiceConfig::Engine::Dictionary) {
    std::printf("lexiphon-pageserver: dictionary %s ready in %.1f ms\n",
                config.strDictionaryPath.empty() ? pageservice::DefaultDictionaryPath().c_str()
                                                 : config.strDictionaryPath.c_str(),
                ms);
  } else {
    std::printf("lexiphon-pageserver: forwarding to %s\n", config.upstream.strUrl.c_str());
  }
  std::printf("lexiphon-pageserver: listening on http://%s:%d/translate_t\n", host.c_str(), server.Port());
  std::fflush(stdout);

  std::promise<void> listenEnded;
  std::thread stopper([&server, signals, ended = listenEnded.get_future()] {
    int signal = 0;
    sigwait(&signals, &signal);
    server.Stop();
    // A request to a slow upstream may still be running: the classroom's
    // service manager waits for us, so we do not wait for it.
    if (ended.wait_for(std::chrono::seconds(2)) != std::future_status::ready) std::_Exit(0);
  });
  const bool served = server.Listen();
  listenEnded.set_value();
  // Listen only ends through the stopper, or when the socket failed.
  if (!served) pthread_kill(stopper.native_handle(), SIGTERM);
  stopper.join();
  return served ? 0 : 1;
}
