#pragma once
// The vendor's addresses, in one place. The domain is a reserved placeholder until the vendor
// gives real ones; the social-media entries are redirects on the vendor's own site, so the
// vendor can move its pages without a new release.

#define TARVO_VENDOR_NAME "Velkor Audio"
#define TARVO_VENDOR_URL "https://velkor-audio.example"
#define TARVO_VENDOR_EMAIL "mailto:support@velkor-audio.example"
#define TARVO_SUPPORT_URL "https://velkor-audio.example/support"
#define TARVO_FACEBOOK_URL "https://velkor-audio.example/go/facebook"
#define TARVO_SOUNDCLOUD_URL "https://velkor-audio.example/go/soundcloud"
#define TARVO_TWITTER_URL "https://velkor-audio.example/go/twitter"
#define TARVO_YOUTUBE_URL "https://velkor-audio.example/go/youtube"
#define TARVO_VERSION_STR "2.0.0"
