-- The results widget's picture drawn by conky's Cairo hook, for a side-by-side measurement: a
-- 170 x 170 rounded square on 0x232228, the year ring (radius 64.75) and the month ring (radius
-- 47.25), 15 wide, over their tracks, with start dots, one-letter captions and two lines of
-- figures. Cairo 1.16 has no conic gradient, so each sweep is laid in 2-degree segments, each
-- in the colour of its middle angle (as our vector targets do).
--
-- The hook also measures itself: after WARMUP redraws it reads the process's CPU clock, and
-- after WARMUP + COUNT more it writes "redraws N cpu_seconds S" to TRELVO_PEER_REPORT.

require 'cairo'
-- Newer conky builds keep the Xlib surface in a module of its own; 1.18 has it in 'cairo'.
pcall(require, 'cairo_xlib')

local side, corner, thickness = 170, 22, 15
local year = {
    radius = 64.75, progress = 0.5, caption = 'y',
    from = 0x7F3CC1, to = 0x9458D3, track = 0x7232B7, trackAlpha = 0.2,
}
local month = {
    radius = 47.25, progress = 0.4, caption = 'm',
    from = 0xBF5722, to = 0xED742E, track = 0xEB6C29, trackAlpha = 0.15,
}
local figures = { { text = '1 500', color = 0x875FC4 }, { text = '100', color = 0xEF8954 } }

local function rgb(hex)
    return ((hex >> 16) & 0xFF) / 255, ((hex >> 8) & 0xFF) / 255, (hex & 0xFF) / 255
end

local function mix(a, b, t)
    local ar, ag, ab = rgb(a)
    local br, bg, bb = rgb(b)
    return ar + (br - ar) * t, ag + (bg - ag) * t, ab + (bb - ab) * t
end

local function background(cr)
    local r = corner
    cairo_new_sub_path(cr)
    cairo_arc(cr, side - r, r, r, -math.pi / 2, 0)
    cairo_arc(cr, side - r, side - r, r, 0, math.pi / 2)
    cairo_arc(cr, r, side - r, r, math.pi / 2, math.pi)
    cairo_arc(cr, r, r, r, math.pi, 3 * math.pi / 2)
    cairo_close_path(cr)
    cairo_set_source_rgba(cr, 0x23 / 255, 0x22 / 255, 0x28 / 255, 1)
    cairo_fill(cr)
end

local function ring(cr, g)
    local cx, cy = side / 2, side / 2
    local top = -math.pi / 2
    cairo_set_line_width(cr, thickness)
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT)
    local tr, tg, tb = rgb(g.track)
    cairo_set_source_rgba(cr, tr, tg, tb, g.trackAlpha)
    cairo_new_path(cr)
    cairo_arc(cr, cx, cy, g.radius, 0, 2 * math.pi)
    cairo_stroke(cr)
    local sweep = 2 * math.pi * g.progress
    local step = math.rad(2)
    local a = 0
    while a < sweep do
        local b = math.min(a + step, sweep)
        local r, gr, bl = mix(g.from, g.to, (a + b) / 2 / (2 * math.pi))
        cairo_set_source_rgba(cr, r, gr, bl, 1)
        -- Each segment reaches under the next, so no anti-aliased seam shows between them.
        cairo_new_path(cr)
        cairo_arc(cr, cx, cy, g.radius, top + a, top + math.min(b + step, sweep))
        cairo_stroke(cr)
        a = b
    end
    -- The round cap at the head, in the head's colour; the start dot covers the other end.
    local hr, hg, hb = mix(g.from, g.to, g.progress)
    cairo_set_source_rgba(cr, hr, hg, hb, 1)
    cairo_new_path(cr)
    cairo_arc(cr, cx + g.radius * math.cos(top + sweep), cy + g.radius * math.sin(top + sweep),
        thickness / 2, 0, 2 * math.pi)
    cairo_fill(cr)
    local sr, sg, sb = rgb(g.from)
    cairo_set_source_rgba(cr, sr, sg, sb, 1)
    cairo_new_path(cr)
    cairo_arc(cr, cx, cy - g.radius, thickness / 2, 0, 2 * math.pi)
    cairo_fill(cr)
    -- The caption across the ring's top, in black, 11 px.
    cairo_set_font_size(cr, 11)
    local e = cairo_text_extents_t:create()
    cairo_text_extents(cr, g.caption, e)
    cairo_set_source_rgba(cr, 0, 0, 0, 1)
    cairo_move_to(cr, cx - e.width / 2 - e.x_bearing, cy - g.radius - 1 - e.height / 2 - e.y_bearing)
    cairo_show_text(cr, g.caption)
    cairo_new_path(cr)
end

local function figureLines(cr)
    cairo_set_font_size(cr, 13)
    local lineHeight, spacing = 15, 8
    local y = side / 2 - (2 * lineHeight + spacing) / 2
    for _, line in ipairs(figures) do
        local e = cairo_text_extents_t:create()
        cairo_text_extents(cr, line.text, e)
        local r, g, b = rgb(line.color)
        cairo_set_source_rgba(cr, r, g, b, 1)
        cairo_move_to(cr, side / 2 - e.width / 2 - e.x_bearing, y + 12)
        cairo_show_text(cr, line.text)
        cairo_new_path(cr)
        y = y + lineHeight + spacing
    end
end

local redraws = 0
local warmup = tonumber(os.getenv('TRELVO_PEER_WARMUP') or '') or 20
local count = tonumber(os.getenv('TRELVO_PEER_COUNT') or '') or 0
local report = os.getenv('TRELVO_PEER_REPORT')
local startCPU = nil

local function measure()
    redraws = redraws + 1
    if count <= 0 or not report then
        return
    end
    if redraws == warmup then
        startCPU = os.clock()
    elseif redraws == warmup + count and startCPU then
        local file = io.open(report, 'w')
        if file then
            file:write(string.format('redraws %d cpu_seconds %.6f\n', count, os.clock() - startCPU))
            file:close()
        end
    end
end

function conky_rings()
    if conky_window == nil then
        return
    end
    local surface = cairo_xlib_surface_create(conky_window.display, conky_window.drawable,
        conky_window.visual, conky_window.width, conky_window.height)
    local cr = cairo_create(surface)
    cairo_save(cr)
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR)
    cairo_paint(cr)
    cairo_restore(cr)
    cairo_select_font_face(cr, 'DejaVu Sans', CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL)
    background(cr)
    figureLines(cr)
    ring(cr, year)
    ring(cr, month)
    cairo_destroy(cr)
    cairo_surface_destroy(surface)
    measure()
end
