#pragma once
// The page service inside Lexiphon itself, for a setting.ini that names no
// translation host: started on a free loopback port at first use, serving
// the offline dictionary (loaded at the first request), stopped at exit.
#include <string>

namespace pageservice {

// "127.0.0.1:PORT"; empty when no port could be had. Any thread.
std::string EmbeddedServiceAddress();

// Stops it (done on its own when the application object goes away, or at
// exit); a later EmbeddedServiceAddress() starts it again.
void StopEmbeddedService();

}  // namespace pageservice
