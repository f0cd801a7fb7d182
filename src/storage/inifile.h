// The INI layer beneath the profile routines.
#pragma once
