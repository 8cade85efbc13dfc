// OrvuLink: everything a host needs.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/control.hpp>
#include <orvulink/enums.hpp>
#include <orvulink/platform.hpp>
#include <orvulink/property_bag.hpp>
