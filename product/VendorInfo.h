#pragma once
// The vendor's addresses, in one place. The domain is a reserved placeholder until the vendor
// gives real ones.

#define TARVO_VENDOR_NAME "Velkor Audio"
#define TARVO_VENDOR_URL "https://velkor-audio.example"
#define TARVO_VENDOR_EMAIL "mailto:support@velkor-audio.example"
#define TARVO_VERSION_STR "2.0.0"
