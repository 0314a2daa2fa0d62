// VelNetwork: the network object of the program frame. Networking is not part of
// this runtime; the object exists so start-up and shutdown keep their order.
#pragma once

class VelNetwork {};
