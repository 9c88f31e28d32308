/* A pointer for compositors without input devices: a wlroots virtual pointer
 * or KWin's fake input, whichever the compositor offers. Reads commands from
 * standard input and answers "ok" once the compositor has them:
 *   move X Y WIDTH HEIGHT   absolute position in a layout of that size
 *   down BUTTON | up BUTTON  Linux button codes (272 is the left one) */
#include <stdio.h>
#include <string.h>
#include <time.h>
#include <wayland-client.h>

#include "fake-input-client-protocol.h"
#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

static struct zwlr_virtual_pointer_manager_v1 *manager;
static struct org_kde_kwin_fake_input *fake;

static void global(void *data, struct wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    (void)data;
    if (strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
    else if (strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 3)
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 3);
}

static void global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data, (void)registry, (void)name;
}

static uint32_t now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

int main(void)
{
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "pointer: no Wayland display\n");
        return 2;
    }
    static const struct wl_registry_listener listener = { global, global_remove };
    wl_registry_add_listener(wl_display_get_registry(display), &listener, NULL);
    wl_display_roundtrip(display);
    struct zwlr_virtual_pointer_v1 *pointer = NULL;
    if (manager)
        pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, NULL);
    else if (fake)
        org_kde_kwin_fake_input_authenticate(fake, "Inkly tests", "drives the pointer");
    else {
        fprintf(stderr, "pointer: the compositor offers neither virtual pointer nor fake input\n");
        return 3;
    }
    char line[128];
    while (fgets(line, sizeof line, stdin)) {
        unsigned x, y, w, h, button;
        char verb[8];
        if (sscanf(line, "move %u %u %u %u", &x, &y, &w, &h) == 4) {
            if (pointer)
                zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, w, h);
            else
                org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_int(x), wl_fixed_from_int(y));
        } else if (sscanf(line, "%7s %u", verb, &button) == 2 && (!strcmp(verb, "down") || !strcmp(verb, "up"))) {
            const uint32_t state = !strcmp(verb, "down");
            if (pointer)
                zwlr_virtual_pointer_v1_button(pointer, now_ms(), button, state);
            else
                org_kde_kwin_fake_input_button(fake, button, state);
        } else {
            fprintf(stderr, "pointer: not understood: %s", line);
            continue;
        }
        if (pointer)
            zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0)
            return 4;
        puts("ok");
        fflush(stdout);
    }
    wl_display_disconnect(display);
    return 0;
}
