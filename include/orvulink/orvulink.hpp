// OrvuLink: everything a host needs.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/control.hpp>
#include <orvulink/design.hpp>
#include <orvulink/diagnostics.hpp>
#include <orvulink/enums.hpp>
#include <orvulink/message_text.hpp>
#include <orvulink/notify.hpp>
#include <orvulink/platform.hpp>
#include <orvulink/property_bag.hpp>
#include <orvulink/receive.hpp>
#include <orvulink/send.hpp>
