# Draws the program icon (resources/icons/korvane-32.png, -64.png) without any image library.
# Run from the repository root: python3 tools/icons/make_icon.py
import zlib, struct, math, sys
def make(N, path):
    px = [[(0,0,0,0)]*N for _ in range(N)]
    s = N/64.0
    def blend(x,y,c,a):
        if not (0<=x<N and 0<=y<N): return
        r,g,b,al = px[y][x]
        a2 = a + al/255*(1-a)
        if a2<=0: return
        nr = (c[0]*a + r*al/255*(1-a))/a2
        ng = (c[1]*a + g*al/255*(1-a))/a2
        nb = (c[2]*a + b*al/255*(1-a))/a2
        px[y][x] = (int(nr),int(ng),int(nb),int(a2*255))
    def fill(inside, color, ss=4):
        for y in range(N):
            for x in range(N):
                hit = 0
                for j in range(ss):
                    for i in range(ss):
                        if inside((x+(i+.5)/ss)/s, (y+(j+.5)/ss)/s): hit += 1
                if hit: blend(x,y,color,hit/(ss*ss))
    def rrect(x0,y0,x1,y1,r):
        def f(x,y):
            if x<x0 or x>x1 or y<y0 or y>y1: return False
            cx = min(max(x,x0+r),x1-r); cy=min(max(y,y0+r),y1-r)
            return (x-cx)**2+(y-cy)**2 <= r*r
        return f
    def poly(pts):
        def f(x,y):
            c=False
            for i in range(len(pts)):
                x1,y1=pts[i]; x2,y2=pts[i-1]
                if (y1>y)!=(y2>y) and x < (x2-x1)*(y-y1)/(y2-y1)+x1: c = not c
            return c
        return f
    def line(xa,ya,xb,yb,w):
        def f(x,y):
            dx,dy=xb-xa,yb-ya; t=max(0,min(1,((x-xa)*dx+(y-ya)*dy)/(dx*dx+dy*dy)))
            return (x-xa-t*dx)**2+(y-ya-t*dy)**2 <= (w/2)**2
        return f
    # archive box (backup)
    fill(rrect(4,14,60,60,7), (30,80,160))
    fill(rrect(6,16,58,58,6), (52,120,210))
    # envelope
    fill(rrect(12,22,52,50,2), (250,250,245))
    for a,b,c,d in ((12,23,32,38),(52,23,32,38)):
        fill(line(a,b,c,d,2.4), (52,120,210))
    fill(line(12,49,26,36,1.6),(170,180,200)); fill(line(52,49,38,36,1.6),(170,180,200))
    # green round arrow badge
    fill(lambda x,y:(x-49)**2+(y-13)**2<=12**2, (255,255,255))
    fill(lambda x,y:(x-49)**2+(y-13)**2<=10.5**2, (40,150,60))
    fill(poly([(49,4.5),(56.5,12),(52,12),(52,20),(46,20),(46,12),(41.5,12)]), (255,255,255))
    raw = b''.join(b'\x00'+b''.join(struct.pack('BBBB',*p) for p in row) for row in px)
    def chunk(t,d): return struct.pack('>I',len(d))+t+d+struct.pack('>I',zlib.crc32(t+d)&0xffffffff)
    png = b'\x89PNG\r\n\x1a\n'+chunk(b'IHDR',struct.pack('>IIBBBBB',N,N,8,6,0,0,0))+chunk(b'IDAT',zlib.compress(raw,9))+chunk(b'IEND',b'')
    open(path,'wb').write(png)
for n in (32,64):
    make(n, 'resources/icons/korvane-%d.png'%n)
