// The C entry points of the WebAssembly module the page's worker calls.

#include <string>

#include "web/driver/engine_driver.h"

extern "C" {

void tarvek_put_file(const unsigned char* bytes, int length)
{
    PutFile(length > 0 ? std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length))
                       : std::string());
}

/// The response stays valid until the next request.
const char* tarvek_request(const char* json)
{
    static std::string response;
    response = HandleRequest(json != nullptr ? json : "");
    return response.c_str();
}
}
