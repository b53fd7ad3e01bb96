#pragma once
// A self-signed certificate for 127.0.0.1, made fresh at every start, as a machine
// carries one of its own.

#include <boost/asio/ssl/context.hpp>

namespace QuillhavenSim {

void InstallSelfSignedCertificate(boost::asio::ssl::context& context);

}  // namespace QuillhavenSim
